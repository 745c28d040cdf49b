#pragma once

#include <cstdint>
#include <vector>

#include "engine/FrameRecord.h"
#include "platform/CameraSource.h"

// Keeps what the engine publishes: how many pictures, and the last one as
// given (the bottom line first). Not thread-safe: for engines stepped on the
// test's thread.
class FakeCameraSource : public CameraSource {
public:
    void Publish(const uint8_t* bottomUpPixels) override {
        ++published;
        last.assign(bottomUpPixels, bottomUpPixels + FrameRecord::kPixelsSize_bytes);
    }

    int published = 0;
    std::vector<uint8_t> last;
};
