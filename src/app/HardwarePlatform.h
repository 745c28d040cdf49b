#pragma once

#include <memory>
#include <string>

class ConfigPorts;
class PhysMemDriver;

// Where the capture card is looked for: the emulated card, or real cards
// through sysfs and VFIO. The platform must outlive the card built on it.
class HardwarePlatform {
public:
    virtual ~HardwarePlatform() = default;

    virtual ConfigPorts& Ports() = 0;
    virtual PhysMemDriver& Driver() = 0;

    // The emulated card with `emulateOptions` when `emulate` is set, else the
    // real-card path. Throws std::invalid_argument for unknown options.
    static std::unique_ptr<HardwarePlatform> Create(bool emulate, const std::string& emulateOptions);
};
