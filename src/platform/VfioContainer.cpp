#include "platform/VfioContainer.h"

#include <fcntl.h>
#include <linux/vfio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/VfioFailure.h"

namespace {

// Without the kernel's range report (kernels before 5.4) the whole 32-bit
// space is assumed usable except the x86 interrupt window, which the IOMMU
// always keeps for itself.
const std::vector<VfioIovaRange> kRangesWithoutReport = {{0, 0xFEDFFFFF}, {0xFEF00000, 0xFFFFFFFF}};

std::string SystemError(int error) {
    return std::strerror(error);
}

template <typename T>
T ReadAt(const std::vector<uint8_t>& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

}  // namespace

VfioContainer::VfioContainer(VfioSystem& system) : system_(system) {
    const int fd = system_.Open(kContainerPath, O_RDWR);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            throw VfioFailure(std::string(kContainerPath) +
                              " is missing: load the vfio-pci module (modprobe vfio-pci) and "
                              "turn the IOMMU on (intel_iommu=on or amd_iommu=on)");
        }
        throw VfioFailure("cannot open " + std::string(kContainerPath) + " (" + SystemError(error) +
                          "): it should be readable and writable by all");
    }
    container_ = VfioHandle(system_, fd);
    if (system_.IoctlValue(fd, VFIO_GET_API_VERSION, 0) != VFIO_API_VERSION) {
        throw VfioFailure("this kernel's VFIO speaks an API version other than " +
                          std::to_string(VFIO_API_VERSION) + "; it is not supported");
    }
    if (system_.IoctlValue(fd, VFIO_CHECK_EXTENSION, VFIO_TYPE1v2_IOMMU) <= 0 &&
        system_.IoctlValue(fd, VFIO_CHECK_EXTENSION, VFIO_TYPE1_IOMMU) <= 0) {
        throw VfioFailure(
            "the kernel offers VFIO no type 1 IOMMU: turn the IOMMU on in the firmware "
            "and on the kernel command line (intel_iommu=on or amd_iommu=on)");
    }
}

void VfioContainer::AttachGroup(int group) {
    const std::string path = kGroupFolder + std::to_string(group);
    const int fd = system_.Open(path, O_RDWR);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            throw VfioFailure("no access to " + path +
                              ": install the udev rule 70-quorvtv-vfio.rules and join the "
                              "group it names, then log in again");
        }
        if (error == EBUSY) {
            throw VfioFailure(path +
                              " is in use by another process (another QuorvTV or a "
                              "virtual machine): close it first");
        }
        throw VfioFailure("cannot open " + path + " (" + SystemError(error) +
                          "): is the card bound to vfio-pci?");
    }
    group_ = VfioHandle(system_, fd);
    groupNumber_ = group;
    vfio_group_status status{};
    status.argsz = sizeof status;
    if (system_.Ioctl(fd, VFIO_GROUP_GET_STATUS, &status) < 0 ||
        (status.flags & VFIO_GROUP_FLAGS_VIABLE) == 0) {
        throw VfioFailure("IOMMU group " + std::to_string(group) +
                          " is not viable: bind every device listed in /sys/kernel/iommu_groups/" +
                          std::to_string(group) + "/devices to vfio-pci or to no driver");
    }
    int containerFd = container_.Fd();
    if (system_.Ioctl(fd, VFIO_GROUP_SET_CONTAINER, &containerFd) < 0) {
        throw VfioFailure("cannot attach IOMMU group " + std::to_string(group) +
                          " to the VFIO container (" + SystemError(errno) + ")");
    }
    SelectIommu();
    ReadIommuInfo();
}

uint64_t VfioContainer::PageSize() const {
    return iovas_ ? iovas_->PageSize() : static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

uint32_t VfioContainer::MapDma(void* host, uint64_t size_bytes) {
    const auto iova = iovas_ ? iovas_->Allocate(size_bytes) : std::nullopt;
    if (!iova) {
        throw VfioFailure("no room for " + std::to_string(size_bytes) +
                          " bytes of DMA addresses below 4 GiB in the IOMMU's usable ranges");
    }
    vfio_iommu_type1_dma_map map{};
    map.argsz = sizeof map;
    map.flags = VFIO_DMA_MAP_FLAG_READ | VFIO_DMA_MAP_FLAG_WRITE;
    map.vaddr = reinterpret_cast<uintptr_t>(host);
    map.iova = *iova;
    map.size = size_bytes;
    if (system_.Ioctl(container_.Fd(), VFIO_IOMMU_MAP_DMA, &map) < 0) {
        const int error = errno;
        iovas_->Release(*iova);
        throw VfioFailure(
            "the IOMMU refused to map " + std::to_string(size_bytes) + " bytes for DMA (" +
            SystemError(error) + ")" +
            (error == ENOMEM ? ": raise the locked-memory limit (ulimit -l, LimitMEMLOCK)" : ""));
    }
    return *iova;
}

bool VfioContainer::UnmapDma(uint32_t iova, uint64_t size_bytes) {
    vfio_iommu_type1_dma_unmap unmap{};
    unmap.argsz = sizeof unmap;
    unmap.iova = iova;
    unmap.size = size_bytes;
    if (system_.Ioctl(container_.Fd(), VFIO_IOMMU_UNMAP_DMA, &unmap) < 0 ||
        unmap.size != size_bytes) {
        return false;
    }
    iovas_->Release(iova);
    return true;
}

void VfioContainer::SelectIommu() {
    const int fd = container_.Fd();
    if (system_.IoctlValue(fd, VFIO_SET_IOMMU, VFIO_TYPE1v2_IOMMU) == 0 ||
        system_.IoctlValue(fd, VFIO_SET_IOMMU, VFIO_TYPE1_IOMMU) == 0) {
        return;
    }
    throw VfioFailure("cannot select the type 1 IOMMU for group " + std::to_string(groupNumber_) +
                      " (" + SystemError(errno) + ")");
}

void VfioContainer::ReadIommuInfo() {
    const std::vector<uint8_t> bytes = QueryIommuInfo();
    const auto info = ReadAt<vfio_iommu_type1_info>(bytes, 0);
    uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    if ((info.flags & VFIO_IOMMU_INFO_PGSIZES) != 0 && info.iova_pgsizes != 0) {
        page = std::max<uint64_t>(page, info.iova_pgsizes & (~info.iova_pgsizes + 1));
    }
    std::vector<VfioIovaRange> ranges = RangesFrom(bytes);
    iovas_.emplace(ranges.empty() ? kRangesWithoutReport : ranges, page);
}

std::vector<uint8_t> VfioContainer::QueryIommuInfo() {
    // The kernel answers a too-small argsz with the size the capability chain
    // needs; the second call then receives the chain.
    std::vector<uint8_t> bytes(sizeof(vfio_iommu_type1_info));
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto info = ReadAt<vfio_iommu_type1_info>(bytes, 0);
        info.argsz = static_cast<uint32_t>(bytes.size());
        std::memcpy(bytes.data(), &info, sizeof info);
        if (system_.Ioctl(container_.Fd(), VFIO_IOMMU_GET_INFO, bytes.data()) < 0) {
            throw VfioFailure("cannot read the IOMMU's properties (" + SystemError(errno) + ")");
        }
        const uint32_t needed = ReadAt<vfio_iommu_type1_info>(bytes, 0).argsz;
        if (needed <= bytes.size()) {
            break;
        }
        bytes.assign(needed, 0);
    }
    return bytes;
}

std::vector<VfioIovaRange> VfioContainer::RangesFrom(const std::vector<uint8_t>& bytes) {
    const auto info = ReadAt<vfio_iommu_type1_info>(bytes, 0);
    std::vector<VfioIovaRange> ranges;
    if ((info.flags & VFIO_IOMMU_INFO_CAPS) == 0) {
        return ranges;
    }
    // Capabilities form a chain of offsets from the start of the answer; each
    // one is checked against the buffer, and the chain must move forward.
    uint32_t offset = info.cap_offset;
    while (offset != 0 && offset + sizeof(vfio_info_cap_header) <= bytes.size()) {
        const auto header = ReadAt<vfio_info_cap_header>(bytes, offset);
        if (header.id == VFIO_IOMMU_TYPE1_INFO_CAP_IOVA_RANGE &&
            offset + sizeof(vfio_iommu_type1_info_cap_iova_range) <= bytes.size()) {
            const auto cap = ReadAt<vfio_iommu_type1_info_cap_iova_range>(bytes, offset);
            const size_t first = offset + sizeof cap;
            for (uint32_t i = 0;
                 i < cap.nr_iovas && first + (i + 1) * sizeof(vfio_iova_range) <= bytes.size();
                 ++i) {
                const auto range =
                    ReadAt<vfio_iova_range>(bytes, first + i * sizeof(vfio_iova_range));
                ranges.push_back({range.start, range.end});
            }
        }
        if (header.next <= offset) {
            break;
        }
        offset = header.next;
    }
    return ranges;
}
