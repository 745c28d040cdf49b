#include "platform/VfioPhysMemDriver.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/VfioFailure.h"

namespace {

constexpr uint32_t kBar0Offset = 0x10;
constexpr uint32_t kBarAddressMask = 0xFFFFFFF0u;
constexpr const char* kVfioDriver = "vfio-pci";

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

VfioPhysMemDriver::VfioPhysMemDriver(VfioSystem& system, std::filesystem::path sysfsRoot,
                                     std::vector<uint32_t> claimedIds, std::ostream& diagnostics)
    : system_(system),
      sysfs_(std::move(sysfsRoot)),
      claimedIds_(std::move(claimedIds)),
      diagnostics_(diagnostics) {}

VfioPhysMemDriver::~VfioPhysMemDriver() {
    // Stop the chip first, then take its view of memory away, and give the
    // memory back to the system last: a DMA still in flight must never land
    // in pages that have been reused.
    if (device_) {
        device_->Reset();
    }
    for (const auto& [host, buffer] : buffers_) {
        container_->UnmapDma(buffer.iova, buffer.length_bytes);
    }
    window_.reset();
    device_.reset();
    container_.reset();
    for (const auto& [host, buffer] : buffers_) {
        FreeHostMemory(host, buffer.length_bytes);
    }
}

bool VfioPhysMemDriver::Open() {
    if (device_) {
        return true;
    }
    try {
        SetUp();
        return true;
    } catch (const VfioFailure& failure) {
        device_.reset();
        container_.reset();
        Report(failure.what());
        return false;
    }
}

void VfioPhysMemDriver::Close() {}

RegisterWindow* VfioPhysMemDriver::MapRegisters(uint32_t physical, uint32_t length) {
    if (!device_) {
        Report("the register window was asked for before the VFIO driver was opened");
        return nullptr;
    }
    try {
        return MapWindow(physical, length);
    } catch (const VfioFailure& failure) {
        Report(failure.what());
        return nullptr;
    }
}

bool VfioPhysMemDriver::AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) {
    if (!device_ || size == 0) {
        Report(size == 0 ? "a DMA buffer of 0 bytes was asked for"
                         : "a DMA buffer was asked for before the VFIO driver was opened");
        return false;
    }
    try {
        const uint64_t page = container_->PageSize();
        const uint64_t length = (uint64_t{size} + page - 1) / page * page;
        uint8_t* host = AllocateHostMemory(length);
        uint32_t iova = 0;
        try {
            iova = container_->MapDma(host, length);
        } catch (const VfioFailure&) {
            FreeHostMemory(host, length);
            throw;
        }
        buffers_[host] = {length, iova};
        *linear = host;
        *physical = iova;
        return true;
    } catch (const VfioFailure& failure) {
        Report(failure.what());
        return false;
    }
}

bool VfioPhysMemDriver::FreeBuffer(uint8_t* linear) {
    const auto found = buffers_.find(linear);
    if (found == buffers_.end()) {
        if (linear != nullptr) {
            Report("no DMA buffer of this program starts at the address given to free");
        }
        return false;
    }
    const Buffer buffer = found->second;
    if (!container_->UnmapDma(buffer.iova, buffer.length_bytes)) {
        Report("the IOMMU refused to unmap the DMA buffer at bus address " + Hex32(buffer.iova) +
               "; its memory is kept until the program ends so the card cannot write into "
               "reused memory");
        return false;
    }
    FreeHostMemory(linear, buffer.length_bytes);
    buffers_.erase(found);
    return true;
}

void VfioPhysMemDriver::SetUp() {
    container_ = std::make_unique<VfioContainer>(system_);
    card_ = FindCard();
    container_->AttachGroup(CheckBinding(card_));
    device_ = std::make_unique<VfioPciDevice>(system_, container_->GroupFd(), card_.Name());
}

SysfsPciAddress VfioPhysMemDriver::FindCard() const {
    try {
        for (const SysfsPciAddress& function : sysfs_.ListFunctions()) {
            const auto id = sysfs_.ReadConfig32(function, 0);
            if (id && std::find(claimedIds_.begin(), claimedIds_.end(), *id) != claimedIds_.end() &&
                Bar0Of(function) != 0) {
                return function;
            }
        }
    } catch (const std::system_error& error) {
        throw VfioFailure(std::string("cannot read PCI devices: ") + error.what());
    }
    throw VfioFailure("no supported capture card is listed in " + sysfs_.Root().string());
}

int VfioPhysMemDriver::CheckBinding(const SysfsPciAddress& card) const {
    const std::string name = card.Name();
    try {
        const auto group = sysfs_.IommuGroup(card);
        if (!group) {
            throw VfioFailure(name +
                              " has no IOMMU group: turn the IOMMU on in the firmware and on the "
                              "kernel command line (intel_iommu=on or amd_iommu=on)");
        }
        const std::string driver = sysfs_.DriverName(card);
        if (driver != kVfioDriver) {
            throw VfioFailure(name + " is bound to " +
                              (driver.empty() ? std::string("no driver") : driver) +
                              ", not vfio-pci: run 'quorvtv-bind-vfio " + name + "' as root");
        }
        return *group;
    } catch (const std::system_error& error) {
        throw VfioFailure(std::string("cannot read the binding of ") + name + ": " + error.what());
    }
}

uint32_t VfioPhysMemDriver::Bar0Of(const SysfsPciAddress& card) const {
    return sysfs_.ReadConfig32(card, kBar0Offset).value_or(0) & kBarAddressMask;
}

RegisterWindow* VfioPhysMemDriver::MapWindow(uint32_t physical, uint32_t length) {
    if (window_) {
        if (physical != windowPhysical_) {
            throw VfioFailure("the register window is already mapped at " + Hex32(windowPhysical_) +
                              ", not " + Hex32(physical));
        }
        return window_.get();
    }
    uint32_t bar0 = 0;
    try {
        bar0 = Bar0Of(card_);
    } catch (const std::system_error& error) {
        throw VfioFailure(std::string("cannot read BAR0: ") + error.what());
    }
    if (bar0 != physical) {
        throw VfioFailure(Hex32(physical) + " is not the register window of " + card_.Name() +
                          " (its BAR0 is " + Hex32(bar0) + ")");
    }
    uint32_t mapped = 0;
    volatile uint8_t* base = device_->MapBar0(length, &mapped);
    device_->EnableMemoryAndBusMaster();
    window_ = std::make_unique<MmioRegisterWindow>(base, mapped);
    windowPhysical_ = physical;
    return window_.get();
}

uint8_t* VfioPhysMemDriver::AllocateHostMemory(uint64_t length_bytes) {
    // Shared rather than private: a pinned private page would be copied on
    // write after a fork, and the program would then read a copy the card
    // never writes to.
    void* host =
        system_.Mmap(length_bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (host == MAP_FAILED) {
        throw VfioFailure("cannot allocate " + std::to_string(length_bytes) + " bytes (" +
                          std::strerror(errno) + ")");
    }
    if (system_.Mlock(host, length_bytes) < 0) {
        const int error = errno;
        system_.Munmap(host, length_bytes);
        throw VfioFailure("cannot lock " + std::to_string(length_bytes) + " bytes in memory (" +
                          std::strerror(error) +
                          "): raise the locked-memory limit (ulimit -l, LimitMEMLOCK)");
    }
    return static_cast<uint8_t*>(host);
}

void VfioPhysMemDriver::FreeHostMemory(uint8_t* host, uint64_t length_bytes) {
    system_.Munlock(host, length_bytes);
    system_.Munmap(host, length_bytes);
}

void VfioPhysMemDriver::Report(const std::string& cause) {
    diagnostics_ << "quorvtv: " << cause << std::endl;
}
