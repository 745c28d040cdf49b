#include "platform/CameraSource.h"

#include "platform/NullCameraSource.h"
#include "platform/PipeWireCameraSource.h"

std::unique_ptr<CameraSource> CameraSource::Create(Mode mode) {
    if (mode == Mode::PipeWire) {
        return std::make_unique<PipeWireCameraSource>();
    }
    return std::make_unique<NullCameraSource>();
}
