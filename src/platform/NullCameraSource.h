#pragma once

#include "platform/CameraSource.h"

// The camera when it is off: every picture is discarded.
class NullCameraSource : public CameraSource {
public:
    void Publish(const uint8_t*) override {}

    // One shared instance, for holders that have no camera of their own.
    static NullCameraSource& Instance();
};
