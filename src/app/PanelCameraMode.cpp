#include "app/PanelCameraMode.h"

#include "platform/Settings.h"

CameraSource::Mode PanelCameraMode(CommandLine::Camera request) {
    if (request != CommandLine::Camera::Remembered) {
        Settings::WriteInt(kPipeWireCameraSetting, request == CommandLine::Camera::On ? 1 : 0);
    }
    const bool on = Settings::ReadInt(kPipeWireCameraSetting).value_or(0) != 0;
    return on ? CameraSource::Mode::PipeWire : CameraSource::Mode::Off;
}
