#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/ConfigPorts.h"

// A PCI configuration space of scripted functions behind the two ports.
// Unscripted addresses read 0xFFFFFFFF (no function). Records the latched
// address of every data read, and can refuse access like a platform that
// forbids the port instructions.
class ScriptedConfigPorts : public ConfigPorts {
public:
    // Puts a function at `bus`, `deviceFunction` with configuration word
    // `id` (device << 16 | vendor) and base address register 0 `bar0`.
    void AddFunction(uint8_t bus, uint8_t deviceFunction, uint32_t id, uint32_t bar0);

    // From the access numbered `accesses` on (0: the first), every port
    // access throws PortAccessRefused.
    void RefuseAccessFrom(size_t accesses) { refuseFrom_ = accesses; }

    void out32(uint16_t port, uint32_t value) override;
    uint32_t in32(uint16_t port) override;

    // The configuration address latched at each read of the data port.
    const std::vector<uint32_t>& AddressesRead() const { return addressesRead_; }
    // Writes to any port but the address port (configuration-space writes).
    size_t DataWrites() const { return dataWrites_; }

    static uint32_t Address(uint8_t bus, uint8_t deviceFunction, uint8_t reg) {
        return 0x80000000u | uint32_t{bus} << 16 | uint32_t{deviceFunction} << 8 | reg;
    }

private:
    void CountAccess();

    std::map<uint32_t, uint32_t> space_;
    uint32_t latched_ = 0;
    size_t accesses_ = 0;
    size_t refuseFrom_ = SIZE_MAX;
    std::vector<uint32_t> addressesRead_;
    size_t dataWrites_ = 0;
};
