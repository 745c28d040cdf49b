#pragma once

#include <cstdint>
#include <stdexcept>

// PCI configuration mechanism 1: a 32-bit address written to port 0xCF8
// selects bus, device, function and register; a 32-bit read of port 0xCFC
// returns that register (0xFFFFFFFF where no function answers).
class ConfigPorts {
public:
    static constexpr uint16_t kAddressPort = 0xCF8;
    static constexpr uint16_t kDataPort = 0xCFC;

    virtual ~ConfigPorts() = default;

    virtual void out32(uint16_t port, uint32_t value) = 0;
    virtual uint32_t in32(uint16_t port) = 0;
};

// Thrown by a ConfigPorts implementation when the platform refuses access to
// configuration space (the equivalent of a privileged-instruction fault).
class PortAccessRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
