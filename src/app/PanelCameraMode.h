#pragma once

#include "app/CommandLine.h"
#include "platform/CameraSource.h"

// Whether the panel offers the camera: as the command line asks, which is then
// remembered ("PipeWireCamera"), or, when it doesn't say, as remembered from
// the last run that did. Reads and writes the settings: user-interface thread.
CameraSource::Mode PanelCameraMode(CommandLine::Camera request);
