#pragma once

#include <pipewire/pipewire.h>

#include <cstdint>
#include <string>
#include <vector>

// A consumer of the program's camera, as another program would be: a
// PipeWire capture stream linked to one node, asking for one raw video
// format, counting what arrives for a while after the first picture and
// keeping each picture as grey levels (luma brought back to 0 ... 255).
//
// Single-threaded: everything runs on the probe's own main loop inside Run.
class CameraProbe {
public:
    struct Settings {
        std::string target;         // object.serial or node.name of the camera
        std::string format;         // "GRAY8", "I420" or "YUY2"
        double seconds = 2.0;       // counted from the first picture
        double patience_s = 10;     // for the first picture
        size_t keptPictures = 100;  // at most this many are kept
        int hold_ms = 0;            // a slow consumer: keeps each picture this long
    };

    struct Report {
        int negotiations = 0;    // Format params received
        std::string negotiated;  // "I420 360x288 25/1"
        int frames = 0;          // pictures received within `seconds`
        double span_s = 0;       // first to last of them
        uint64_t firstSequence = 0;
        uint64_t lastSequence = 0;
        bool sequenced = false;                      // the pictures carried sequence numbers
        std::vector<std::vector<uint8_t>> pictures;  // the first ones, top row first, 360 x 288
    };

    explicit CameraProbe(Settings settings);
    ~CameraProbe();

    // Connects, streams and disconnects; false (with `error`) when no
    // picture came within the patience.
    bool Run(Report& report, std::string& error);

private:
    static const pw_stream_events& Events();
    static void OnParamChanged(void* self, uint32_t id, const spa_pod* param);
    static void OnProcess(void* self);
    static void OnStateChanged(void* self, pw_stream_state old, pw_stream_state state,
                               const char* error);
    static void OnTimeout(void* self, uint64_t expirations);

    void Receive(const spa_buffer& buffer);

    Settings settings_;
    pw_main_loop* loop_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_source* timer_ = nullptr;
    uint32_t videoFormat_ = 0;
    Report* report_ = nullptr;
    std::string failure_;
    double firstAt_s_ = -1;
};
