#pragma once

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/MmioRegisterWindow.h"
#include "platform/PhysMemDriver.h"
#include "platform/SysfsPciTree.h"
#include "platform/VfioContainer.h"
#include "platform/VfioPciDevice.h"
#include "platform/VfioSystem.h"

// The physical-memory driver on Linux, over VFIO with the type 1 IOMMU.
//
// Open: the first successful Open sets everything up for the card, the first
// function in scan order whose configuration word 0 is one of `claimedIds`
// and whose BAR0 is non-zero: the VFIO container, the card's IOMMU group and
// the device. It fails when /dev/vfio/vfio is missing, the card is bound to a
// driver other than vfio-pci (or has no IOMMU group), or its group cannot be
// opened or is not viable. Later Opens return true at once. Close does
// nothing: the register window must stay mapped and buffers allocated after
// a request, and both live on the descriptors Open set up.
//
// Request 1 maps BAR0 of that card, which must lie at `physical`, and turns on
// memory decoding and bus mastering in its command register (the only
// configuration write the program makes). Requests 2 and 3 hand out and take
// back page-aligned, locked host buffers mapped for the card's DMA at bus
// addresses below 4 GiB.
//
// Every refusal writes exactly one line to `diagnostics`, naming the cause and
// the fix; the user-facing message is the caller's. Nothing is thrown.
//
// Destruction resets the card where VFIO can, removes every DMA mapping,
// closes the device (the kernel then turns bus mastering off), and only then
// frees the buffers' memory. The register window dies with the driver, so the
// driver must outlive every user of the window.
//
// Not thread-safe: the card's hardwareLock serialises every call.
class VfioPhysMemDriver : public PhysMemDriver {
public:
    VfioPhysMemDriver(VfioSystem& system, std::filesystem::path sysfsRoot,
                      std::vector<uint32_t> claimedIds, std::ostream& diagnostics = std::cerr);
    ~VfioPhysMemDriver() override;
    VfioPhysMemDriver(const VfioPhysMemDriver&) = delete;
    VfioPhysMemDriver& operator=(const VfioPhysMemDriver&) = delete;

    bool Open() override;
    void Close() override;
    RegisterWindow* MapRegisters(uint32_t physical, uint32_t length) override;
    bool AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) override;
    bool FreeBuffer(uint8_t* linear) override;

private:
    struct Buffer {
        uint64_t length_bytes = 0;
        uint32_t iova = 0;
    };

    void SetUp();
    SysfsPciAddress FindCard() const;
    int CheckBinding(const SysfsPciAddress& card) const;
    uint32_t Bar0Of(const SysfsPciAddress& card) const;
    RegisterWindow* MapWindow(uint32_t physical, uint32_t length);
    uint8_t* AllocateHostMemory(uint64_t length_bytes);
    void FreeHostMemory(uint8_t* host, uint64_t length_bytes);
    void Report(const std::string& cause);

    VfioSystem& system_;
    SysfsPciTree sysfs_;
    std::vector<uint32_t> claimedIds_;
    std::ostream& diagnostics_;
    std::unique_ptr<VfioContainer> container_;
    SysfsPciAddress card_;
    std::unique_ptr<VfioPciDevice> device_;
    std::unique_ptr<MmioRegisterWindow> window_;
    uint32_t windowPhysical_ = 0;
    std::map<uint8_t*, Buffer> buffers_;
};
