#pragma once

#include <bitset>
#include <cstdint>
#include <filesystem>

#include "platform/ConfigPorts.h"
#include "platform/SysfsPciTree.h"

// Configuration mechanism 1 answered from sysfs. out32 to the address port
// latches an address; in32 from the data port reads that register from
// <root>/0000:BB:DD.F/config, or returns 0xFFFFFFFF where no such function is
// listed (or the address lacks the enable bit). Reads are always whole aligned
// 32-bit words; the extended-register bits 27..24 are ignored.
//
// The folder is listed once per scan, not per read: a scan begins whenever
// register 0 of bus 0, device 0, function 0 is addressed (the first address
// every scan writes), or when Rescan is called. Between scans a function that
// appears or goes away is not noticed.
//
// in32 throws PortAccessRefused when the folder cannot be listed or a present
// function's configuration cannot be read. Not thread-safe: the caller
// serialises access, as it would for the real ports.
class SysfsConfigPorts : public ConfigPorts {
public:
    explicit SysfsConfigPorts(std::filesystem::path root = SysfsPciTree::kDefaultRoot);

    void out32(uint16_t port, uint32_t value) override;
    uint32_t in32(uint16_t port) override;

    // Forgets the listing; the next data read lists the folder again.
    void Rescan();

private:
    static constexpr uint32_t kEnable = 0x80000000u;
    static constexpr uint32_t kNothing = 0xFFFFFFFFu;

    void ListIfNeeded();
    uint32_t ReadLatchedRegister();

    SysfsPciTree tree_;
    uint32_t address_ = 0;
    bool listed_ = false;
    std::bitset<0x10000> present_;
};
