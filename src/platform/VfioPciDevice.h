#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/VfioHandle.h"
#include "platform/VfioSystem.h"

// One PCI function opened through its VFIO group: its first memory region
// mapped into the process, its command register, its reset.
//
// Destruction unmaps the region and closes the device; closing makes the
// kernel turn bus mastering off and reset the function where it can, so the
// chip's DMA cannot outlive the program. Not thread-safe; the driver
// serialises calls.
class VfioPciDevice {
public:
    // Asks the group (already attached to a container) for the device named
    // like "0000:01:05.0". Throws VfioFailure.
    VfioPciDevice(VfioSystem& system, int groupFd, std::string name);
    ~VfioPciDevice();
    VfioPciDevice(const VfioPciDevice&) = delete;
    VfioPciDevice& operator=(const VfioPciDevice&) = delete;

    const std::string& Name() const { return name_; }

    // Maps BAR0, which must hold at least `length_bytes`; the mapping stays
    // until destruction, and later calls return it again. Returns its start; `mapped_bytes`
    // receives its size. Throws VfioFailure.
    volatile uint8_t* MapBar0(uint32_t length_bytes, uint32_t* mapped_bytes);

    // Sets memory decoding and bus mastering in the command register, keeping
    // its other bits; writes nothing when both are already on. Throws
    // VfioFailure.
    void EnableMemoryAndBusMaster();

    // Resets the function when VFIO offers a reset for it; best effort.
    void Reset();

private:
    struct Region {
        uint32_t flags = 0;
        uint64_t size = 0;
        uint64_t offset = 0;
    };

    Region RegionInfo(uint32_t index);
    uint16_t ReadCommand(const Region& config);

    VfioSystem& system_;
    std::string name_;
    VfioHandle device_;
    bool canReset_ = false;
    void* bar0_ = nullptr;
    size_t bar0Length_ = 0;
};
