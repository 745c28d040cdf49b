#pragma once

#include <cstdint>
#include <vector>

#include "platform/ConfigPorts.h"

// The emulated PCI configuration space behind ports 0xCF8/0xCFC
// (configuration mechanism 1). Holds a host bridge plus the functions added
// with AddFunction; every other address reads as 0xFFFFFFFF. Configuration
// writes are accepted and ignored (the system never writes there). Never
// throws PortAccessRefused.
//
// Thread safety: none needed beyond the caller's; the scan runs on one thread.
class EmulatedConfigSpace : public ConfigPorts {
public:
    struct Function {
        uint8_t bus = 0;
        uint8_t deviceFunction = 0;  // device << 3 | function
        uint32_t id = 0;             // device << 16 | vendor
        uint32_t classRevision = 0;
        uint32_t bar0 = 0;
    };

    EmulatedConfigSpace();

    void AddFunction(const Function& function);

    void out32(uint16_t port, uint32_t value) override;
    uint32_t in32(uint16_t port) override;

    // Reads of the data port so far, for tests of the scan's cost.
    uint64_t DataReads() const { return dataReads_; }

private:
    uint32_t ReadRegister(const Function& function, uint32_t reg) const;

    std::vector<Function> functions_;
    uint32_t address_ = 0;
    uint64_t dataReads_ = 0;
};
