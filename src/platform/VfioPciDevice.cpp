#include "platform/VfioPciDevice.h"

#include <linux/vfio.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstring>

#include "platform/VfioFailure.h"

namespace {

constexpr uint32_t kCommandOffset = 0x04;
constexpr uint16_t kMemorySpace = 0x0002;
constexpr uint16_t kBusMaster = 0x0004;

}  // namespace

VfioPciDevice::VfioPciDevice(VfioSystem& system, int groupFd, std::string name)
    : system_(system), name_(std::move(name)) {
    const int fd = system_.Ioctl(groupFd, VFIO_GROUP_GET_DEVICE_FD, name_.data());
    if (fd < 0) {
        throw VfioFailure("VFIO does not hand out " + name_ + " (" + std::strerror(errno) +
                          "): is it bound to vfio-pci?");
    }
    device_ = VfioHandle(system_, fd);
    vfio_device_info info{};
    info.argsz = sizeof info;
    if (system_.Ioctl(fd, VFIO_DEVICE_GET_INFO, &info) == 0) {
        canReset_ = (info.flags & VFIO_DEVICE_FLAGS_RESET) != 0;
    }
}

VfioPciDevice::~VfioPciDevice() {
    if (bar0_ != nullptr) {
        system_.Munmap(bar0_, bar0Length_);
    }
}

volatile uint8_t* VfioPciDevice::MapBar0(uint32_t length_bytes, uint32_t* mapped_bytes) {
    if (bar0_ != nullptr) {
        *mapped_bytes = static_cast<uint32_t>(bar0Length_);
        return static_cast<volatile uint8_t*>(bar0_);
    }
    const Region bar = RegionInfo(VFIO_PCI_BAR0_REGION_INDEX);
    if ((bar.flags & VFIO_REGION_INFO_FLAG_MMAP) == 0 || bar.size < length_bytes ||
        bar.size > UINT32_MAX) {
        throw VfioFailure("BAR0 of " + name_ + " (" + std::to_string(bar.size) +
                          " bytes) cannot be mapped as a " + std::to_string(length_bytes) +
                          "-byte register window");
    }
    void* base = system_.Mmap(bar.size, PROT_READ | PROT_WRITE, MAP_SHARED, device_.Fd(),
                              static_cast<off_t>(bar.offset));
    if (base == MAP_FAILED) {
        throw VfioFailure("cannot map BAR0 of " + name_ + " (" + std::strerror(errno) + ")");
    }
    bar0_ = base;
    bar0Length_ = bar.size;
    *mapped_bytes = static_cast<uint32_t>(bar.size);
    return static_cast<volatile uint8_t*>(base);
}

void VfioPciDevice::EnableMemoryAndBusMaster() {
    // After another driver lets go of the card both bits are usually off:
    // register reads would return nothing and the chip's DMA would never run.
    const Region config = RegionInfo(VFIO_PCI_CONFIG_REGION_INDEX);
    const uint16_t command = ReadCommand(config);
    const uint16_t wanted = command | kMemorySpace | kBusMaster;
    if (wanted == command) {
        return;
    }
    const uint8_t bytes[2] = {static_cast<uint8_t>(wanted), static_cast<uint8_t>(wanted >> 8)};
    if (system_.Pwrite(device_.Fd(), bytes, sizeof bytes,
                       static_cast<off_t>(config.offset + kCommandOffset)) !=
        static_cast<ssize_t>(sizeof bytes)) {
        throw VfioFailure("cannot enable memory decoding and bus mastering on " + name_);
    }
}

void VfioPciDevice::Reset() {
    if (canReset_) {
        system_.IoctlValue(device_.Fd(), VFIO_DEVICE_RESET, 0);
    }
}

VfioPciDevice::Region VfioPciDevice::RegionInfo(uint32_t index) {
    vfio_region_info info{};
    info.argsz = sizeof info;
    info.index = index;
    if (system_.Ioctl(device_.Fd(), VFIO_DEVICE_GET_REGION_INFO, &info) < 0) {
        throw VfioFailure("cannot query region " + std::to_string(index) + " of " + name_ + " (" +
                          std::strerror(errno) + ")");
    }
    return {info.flags, info.size, info.offset};
}

uint16_t VfioPciDevice::ReadCommand(const Region& config) {
    uint8_t bytes[2] = {};
    if (system_.Pread(device_.Fd(), bytes, sizeof bytes,
                      static_cast<off_t>(config.offset + kCommandOffset)) !=
        static_cast<ssize_t>(sizeof bytes)) {
        throw VfioFailure("cannot read the command register of " + name_);
    }
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}
