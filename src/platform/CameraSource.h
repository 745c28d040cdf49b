#pragma once

#include <cstdint>
#include <memory>

// The live picture offered to other programs as a camera: on Linux a PipeWire
// video source node that OBS, browsers and video-call programs can pick, fed
// with the picture the recorder gets (without the status overlay), one
// picture per frame the engine shows.
//
// Threads: construct and destroy on the user-interface thread, outside every
// engine lock; Publish from the frame thread only, and never after the
// destructor has begun (the engine that calls it goes first). Publish never
// waits for another thread: a consumer that is slow, stuck or absent makes
// pictures be dropped, never the frame loop slower.
class CameraSource {
public:
    enum class Mode { Off, PipeWire };

    virtual ~CameraSource() = default;

    // Offers one picture: FrameRecord::kHeight rows of FrameRecord::kWidth
    // grey pixels, the bottom line first, as the frame record stores them.
    virtual void Publish(const uint8_t* bottomUpPixels) = 0;

    // The source for `mode`: Off discards every picture; PipeWire publishes
    // them, and reports on standard error (one line each time) when it can't
    // reach PipeWire or loses it, while it keeps trying to reconnect.
    static std::unique_ptr<CameraSource> Create(Mode mode);
};
