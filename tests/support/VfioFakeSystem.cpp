#include "support/VfioFakeSystem.h"

#include <linux/vfio.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

int Fail(int error) {
    errno = error;
    return -1;
}

template <typename T>
void Append(std::vector<uint8_t>& bytes, const T& value) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

}  // namespace

VfioFakeSystem::VfioFakeSystem() {
    config[5] = 0x04;  // interrupt disable on, to see that other bits survive
}

VfioFakeSystem::~VfioFakeSystem() {
    for (const auto& [address, length] : host_) {
        std::free(address);
    }
}

int VfioFakeSystem::Open(const std::string& path, int) {
    if (path == "/dev/vfio/vfio") {
        return containerOpenErrno != 0 ? Fail(containerOpenErrno) : NewFd(Kind::Container, -1);
    }
    const std::string prefix = "/dev/vfio/";
    const auto found =
        path.rfind(prefix, 0) == 0 ? groups.find(std::atoi(path.c_str() + 10)) : groups.end();
    if (found == groups.end()) {
        return Fail(ENOENT);
    }
    if (found->second.openErrno != 0) {
        return Fail(found->second.openErrno);
    }
    for (const auto& [fd, descriptor] : fds_) {
        if (descriptor.kind == Kind::Group && descriptor.group == found->first) {
            return Fail(EBUSY);
        }
    }
    return NewFd(Kind::Group, found->first);
}

int VfioFakeSystem::Close(int fd) {
    const auto found = fds_.find(fd);
    if (found == fds_.end()) {
        return Fail(EBADF);
    }
    if (found->second.kind != Kind::Device) {
        attachedGroup_ = -1;
        iommuSet_ = false;
        dmaMappings.clear();
    }
    fds_.erase(found);
    return 0;
}

int VfioFakeSystem::Ioctl(int fd, unsigned long request, void* argument) {
    if (Is(fd, Kind::Group)) {
        return GroupIoctl(fd, request, argument);
    }
    if (Is(fd, Kind::Device)) {
        return DeviceIoctl(request, argument);
    }
    if (!Is(fd, Kind::Container)) {
        return Fail(EBADF);
    }
    switch (request) {
        case VFIO_IOMMU_GET_INFO:
            return GetInfo(argument);
        case VFIO_IOMMU_MAP_DMA:
            return MapDma(argument);
        case VFIO_IOMMU_UNMAP_DMA:
            return UnmapDma(argument);
        default:
            return Fail(ENOTTY);
    }
}

int VfioFakeSystem::IoctlValue(int fd, unsigned long request, unsigned long value) {
    const bool type1 = value == VFIO_TYPE1_IOMMU || value == VFIO_TYPE1v2_IOMMU;
    if (Is(fd, Kind::Device) && request == VFIO_DEVICE_RESET) {
        return deviceResets ? (++resets, 0) : Fail(ENOTTY);
    }
    if (!Is(fd, Kind::Container)) {
        return Fail(ENOTTY);
    }
    switch (request) {
        case VFIO_GET_API_VERSION:
            return VFIO_API_VERSION;
        case VFIO_CHECK_EXTENSION:
            return type1 && type1Supported ? 1 : 0;
        case VFIO_SET_IOMMU:
            if (attachedGroup_ < 0 || !type1 || !type1Supported || iommuSet_) {
                return Fail(EINVAL);
            }
            iommuSet_ = true;
            return 0;
        default:
            return Fail(ENOTTY);
    }
}

ssize_t VfioFakeSystem::Pread(int fd, void* data, size_t size, off_t offset) {
    const auto index = Is(fd, Kind::Device) ? ConfigIndex(size, offset) : std::nullopt;
    if (!index) {
        return Fail(EINVAL);
    }
    std::memcpy(data, config.data() + *index, size);
    return static_cast<ssize_t>(size);
}

ssize_t VfioFakeSystem::Pwrite(int fd, const void* data, size_t size, off_t offset) {
    const auto index = Is(fd, Kind::Device) ? ConfigIndex(size, offset) : std::nullopt;
    if (!index) {
        return Fail(EINVAL);
    }
    std::memcpy(config.data() + *index, data, size);
    ++configWrites;
    return static_cast<ssize_t>(size);
}

void* VfioFakeSystem::Mmap(size_t length, int, int flags, int fd, off_t offset) {
    if ((flags & MAP_ANONYMOUS) != 0) {
        const size_t rounded = (length + 4095) / 4096 * 4096;
        void* block = std::aligned_alloc(4096, rounded);
        std::memset(block, 0, rounded);
        host_[block] = length;
        return block;
    }
    if (!Is(fd, Kind::Device) || offset != 0 || length > bar0.size() || bar0Mapped_) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    bar0Mapped_ = true;
    return bar0.data();
}

int VfioFakeSystem::Munmap(void* address, size_t length) {
    if (address == bar0.data() && bar0Mapped_) {
        bar0Mapped_ = false;
        return 0;
    }
    const auto found = host_.find(address);
    if (found == host_.end() || found->second != length) {
        return Fail(EINVAL);
    }
    std::free(address);
    host_.erase(found);
    locked_.erase(address);
    return 0;
}

int VfioFakeSystem::Mlock(const void* address, size_t) {
    if (mlockErrno != 0) {
        return Fail(mlockErrno);
    }
    locked_.insert(address);
    return 0;
}

int VfioFakeSystem::Munlock(const void* address, size_t) {
    locked_.erase(address);
    return 0;
}

int VfioFakeSystem::NewFd(Kind kind, int group) {
    fds_[nextFd_] = {kind, group};
    return nextFd_++;
}

bool VfioFakeSystem::Is(int fd, Kind kind) const {
    const auto found = fds_.find(fd);
    return found != fds_.end() && found->second.kind == kind;
}

int VfioFakeSystem::GroupIoctl(int fd, unsigned long request, void* argument) {
    const int group = fds_.at(fd).group;
    if (request == VFIO_GROUP_GET_STATUS) {
        auto* status = static_cast<vfio_group_status*>(argument);
        status->flags = (groups[group].viable ? VFIO_GROUP_FLAGS_VIABLE : 0u) |
                        (attachedGroup_ == group ? VFIO_GROUP_FLAGS_CONTAINER_SET : 0u);
        return 0;
    }
    if (request == VFIO_GROUP_SET_CONTAINER) {
        if (!groups[group].viable) {
            return Fail(EPERM);
        }
        if (!Is(*static_cast<int*>(argument), Kind::Container)) {
            return Fail(EBADF);
        }
        attachedGroup_ = group;
        return 0;
    }
    if (request == VFIO_GROUP_GET_DEVICE_FD) {
        const std::string name = static_cast<const char*>(argument);
        for (const std::string& device : groups[group].devices) {
            if (device == name && attachedGroup_ == group && iommuSet_) {
                return NewFd(Kind::Device, group);
            }
        }
        return Fail(ENODEV);
    }
    return Fail(ENOTTY);
}

int VfioFakeSystem::DeviceIoctl(unsigned long request, void* argument) {
    if (request == VFIO_DEVICE_GET_INFO) {
        auto* info = static_cast<vfio_device_info*>(argument);
        info->flags = VFIO_DEVICE_FLAGS_PCI | (deviceResets ? VFIO_DEVICE_FLAGS_RESET : 0u);
        info->num_regions = VFIO_PCI_NUM_REGIONS;
        return 0;
    }
    if (request != VFIO_DEVICE_GET_REGION_INFO) {
        return Fail(ENOTTY);
    }
    auto* info = static_cast<vfio_region_info*>(argument);
    info->flags = VFIO_REGION_INFO_FLAG_READ | VFIO_REGION_INFO_FLAG_WRITE;
    info->size = 0;
    info->offset = uint64_t{info->index} << 40;
    if (info->index == VFIO_PCI_BAR0_REGION_INDEX) {
        info->flags |= VFIO_REGION_INFO_FLAG_MMAP;
        info->size = bar0.size();
    } else if (info->index == VFIO_PCI_CONFIG_REGION_INDEX) {
        info->size = config.size();
    }
    return 0;
}

int VfioFakeSystem::GetInfo(void* argument) const {
    // A capability the driver has no use for comes first, so that it must
    // follow the chain to the ranges.
    auto* info = static_cast<vfio_iommu_type1_info*>(argument);
    const uint32_t given = info->argsz;
    info->flags = VFIO_IOMMU_INFO_PGSIZES;
    info->iova_pgsizes = iovaPageSizes;
    info->cap_offset = 0;
    if (!reportedRanges) {
        return 0;
    }
    std::vector<uint8_t> caps;
    const vfio_iommu_type1_info_dma_avail avail{
        {VFIO_IOMMU_TYPE1_INFO_DMA_AVAIL, 1,
         static_cast<uint32_t>(sizeof(*info) + sizeof(vfio_iommu_type1_info_dma_avail))},
        65535};
    Append(caps, avail);
    vfio_iommu_type1_info_cap_iova_range ranges{};
    ranges.header = {VFIO_IOMMU_TYPE1_INFO_CAP_IOVA_RANGE, 1, 0};
    ranges.nr_iovas = static_cast<uint32_t>(reportedRanges->size());
    Append(caps, ranges);
    for (const VfioIovaRange& range : *reportedRanges) {
        Append(caps, vfio_iova_range{range.start, range.end});
    }
    info->flags |= VFIO_IOMMU_INFO_CAPS;
    if (given < sizeof(*info) + caps.size()) {
        info->argsz = static_cast<uint32_t>(sizeof(*info) + caps.size());
        return 0;
    }
    std::memcpy(static_cast<uint8_t*>(argument) + sizeof(*info), caps.data(), caps.size());
    info->cap_offset = sizeof(*info);
    return 0;
}

int VfioFakeSystem::MapDma(void* argument) {
    const auto* map = static_cast<const vfio_iommu_type1_dma_map*>(argument);
    if (mapDmaErrno != 0) {
        return Fail(mapDmaErrno);
    }
    const uint32_t both = VFIO_DMA_MAP_FLAG_READ | VFIO_DMA_MAP_FLAG_WRITE;
    if (!iommuSet_ || map->flags != both || map->size == 0 || map->iova % 4096 != 0 ||
        !InsideReportedRanges(map->iova, map->size) || !InsideHostBlock(map->vaddr, map->size)) {
        return Fail(EINVAL);
    }
    for (const auto& [iova, mapping] : dmaMappings) {
        if (iova < map->iova + map->size && map->iova < iova + mapping.size) {
            return Fail(EEXIST);
        }
    }
    dmaMappings[map->iova] = {map->vaddr, map->size};
    return 0;
}

int VfioFakeSystem::UnmapDma(void* argument) {
    auto* unmap = static_cast<vfio_iommu_type1_dma_unmap*>(argument);
    if (unmapDmaErrno != 0) {
        return Fail(unmapDmaErrno);
    }
    const auto found = dmaMappings.find(unmap->iova);
    if (found == dmaMappings.end() || found->second.size != unmap->size) {
        unmap->size = 0;
        return 0;
    }
    dmaMappings.erase(found);
    return 0;
}

bool VfioFakeSystem::InsideReportedRanges(uint64_t iova, uint64_t size) const {
    if (!reportedRanges) {
        return true;
    }
    for (const VfioIovaRange& range : *reportedRanges) {
        if (iova >= range.start && iova + size - 1 <= range.end) {
            return true;
        }
    }
    return false;
}

bool VfioFakeSystem::InsideHostBlock(uint64_t vaddr, uint64_t size) const {
    for (const auto& [address, length] : host_) {
        const auto start = reinterpret_cast<uintptr_t>(address);
        if (vaddr >= start && vaddr + size <= start + length) {
            return true;
        }
    }
    return false;
}

std::optional<size_t> VfioFakeSystem::ConfigIndex(size_t size, off_t offset) const {
    const auto start = static_cast<uint64_t>(offset);
    if (start < kConfigRegionOffset || start - kConfigRegionOffset + size > config.size()) {
        return std::nullopt;
    }
    return static_cast<size_t>(start - kConfigRegionOffset);
}
