#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/CameraFormat.h"
#include "platform/CameraSource.h"
#include "platform/FrameHandOff.h"
#include "platform/ReconnectBackoff.h"

struct pw_context;
struct pw_core;
struct pw_loop;
struct pw_stream;
struct pw_thread_loop;
struct spa_pod;
struct spa_source;

// The camera as a PipeWire video source node (libpipewire-0.3 pw_stream):
// media.class "Video/Source", media.role "Camera", node name "quorvtv",
// description "QuorvTV", offering the formats of CameraFormat. The node drives
// its own graph: each published picture triggers one cycle, so consumers get
// the pictures at the rate the card delivers them.
//
// Threads: the source runs a PipeWire thread loop of its own ("quorv-camera"),
// on which every PipeWire callback, the format negotiation, the conversion of
// the picture into the consumer's buffer and the reconnection run. Publish
// (frame thread) only copies the picture into a lock-free hand-off
// (FrameHandOff) and wakes that thread through an event, and does even that
// only while a consumer is streaming; the user-interface thread touches the
// loop only in the constructor and destructor. No Mutex of the program is
// ever taken on the PipeWire thread, so it stands outside the lock order.
//
// Failures: without a daemon, or when the connection breaks (the daemon is
// restarted) or the stream fails, `report` gets one line naming the cause;
// the source keeps trying to reconnect, waiting as ReconnectBackoff says, and
// reports once more when it is back. Pictures published meanwhile are
// dropped. Nothing here ever ends the program or blocks its threads.
class PipeWireCameraSource : public CameraSource {
public:
    using Report = std::function<void(const std::string& line)>;

    // `report` runs on the PipeWire thread; the default writes
    // "quorvtv: <line>" to standard error.
    explicit PipeWireCameraSource(Report report = {});
    PipeWireCameraSource(const PipeWireCameraSource&) = delete;
    PipeWireCameraSource& operator=(const PipeWireCameraSource&) = delete;
    ~PipeWireCameraSource() override;

    void Publish(const uint8_t* bottomUpPixels) override;

private:
    enum class Link { Down, Connected, Lost };

    // The PipeWire callbacks and their listener hooks, in the .cpp file.
    struct Callbacks;
    struct Hooks;
    friend struct Callbacks;

    void Attempt();
    bool CreateStream();
    void Teardown();
    void ConnectionLost(const std::string& cause);
    void RetryIn(uint32_t delay_ms);
    void Published();
    void Negotiated(const spa_pod* format);
    void SendPicture();

    Report report_;
    pw_thread_loop* threadLoop_ = nullptr;
    pw_loop* loop_ = nullptr;
    spa_source* retryTimer_ = nullptr;
    spa_source* frameSignal_ = nullptr;

    // PipeWire thread only (and the destructor, once that thread has ended).
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    std::unique_ptr<Hooks> hooks_;
    Link link_ = Link::Down;
    bool outage_ = false;  // an outage was reported and not yet its end
    ReconnectBackoff backoff_;
    std::optional<CameraFormat> format_;

    std::atomic<bool> streaming_{false};  // set on the PipeWire thread, read by Publish
    uint64_t published_ = 0;              // frame thread only
    FrameHandOff handOff_;
};
