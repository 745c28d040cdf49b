#pragma once

#include <string>

#include "platform/NullCameraSource.h"

class CompressionDialog;
class ConfigPorts;
class FileChooser;
class ModalRunner;
class PhysMemDriver;
class PowerService;

// What the main panel is given from outside: the card's platform services
// (null ports mean no card can be found) and the user-interface services that
// tests replace with doubles.
struct PanelServices {
    ConfigPorts* ports = nullptr;
    PhysMemDriver* driver = nullptr;
    FileChooser* fileChooser = nullptr;
    CompressionDialog* compressionDialog = nullptr;
    PowerService* power = nullptr;
    ModalRunner* modal = nullptr;
    CameraSource* camera = &NullCameraSource::Instance();  // gets the frames shown
    std::string channelFile;
    std::string optionsFile;
};
