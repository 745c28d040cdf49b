#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/VfioIovaAllocator.h"
#include "platform/VfioSystem.h"

// A VFIO type 1 kernel in memory: container, groups and one kind of PCI device
// with a 4 KiB BAR0 and a 256-byte configuration space. It follows the kernel's
// rules where the driver relies on them (a group opens once and must be viable
// to join a container, the IOMMU is chosen after a group joined, DMA maps must
// lie in the reported ranges and not overlap, closing the group drops every
// DMA mapping) and records what the driver did. Failures are switched on by
// the fields below; errno is set as the kernel would.
class VfioFakeSystem : public VfioSystem {
public:
    struct Group {
        bool viable = true;
        int openErrno = 0;
        std::vector<std::string> devices;
    };
    struct DmaMapping {
        uint64_t vaddr = 0;
        uint64_t size = 0;
    };
    static constexpr uint64_t kConfigRegionOffset = uint64_t{7} << 40;

    VfioFakeSystem();
    ~VfioFakeSystem() override;

    // Set-up.
    int containerOpenErrno = 0;
    bool type1Supported = true;
    std::map<int, Group> groups;
    // Nullopt: a kernel that reports no ranges.
    std::optional<std::vector<VfioIovaRange>> reportedRanges =
        std::vector<VfioIovaRange>{{0, 0xFFFFFFFFFFFFull}};
    uint64_t iovaPageSizes = 0x40201000;
    bool deviceResets = true;
    int mlockErrno = 0;
    int mapDmaErrno = 0;
    int unmapDmaErrno = 0;

    // What the driver left behind.
    std::map<uint64_t, DmaMapping> dmaMappings;  // by bus address
    int resets = 0;
    int configWrites = 0;
    alignas(4096) std::array<uint8_t, 4096> bar0{};
    std::array<uint8_t, 256> config{};

    uint16_t Command() const { return static_cast<uint16_t>(config[4] | config[5] << 8); }
    size_t OpenDescriptors() const { return fds_.size(); }
    size_t HostBlocks() const { return host_.size(); }
    size_t LockedBlocks() const { return locked_.size(); }
    bool Bar0Mapped() const { return bar0Mapped_; }
    bool IsLocked(const void* address) const { return locked_.count(address) != 0; }

    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int IoctlValue(int fd, unsigned long request, unsigned long value) override;
    ssize_t Pread(int fd, void* data, size_t size, off_t offset) override;
    ssize_t Pwrite(int fd, const void* data, size_t size, off_t offset) override;
    void* Mmap(size_t length, int protection, int flags, int fd, off_t offset) override;
    int Munmap(void* address, size_t length) override;
    int Mlock(const void* address, size_t length) override;
    int Munlock(const void* address, size_t length) override;

private:
    enum class Kind { Container, Group, Device };
    struct Descriptor {
        Kind kind;
        int group;
    };

    int NewFd(Kind kind, int group);
    bool Is(int fd, Kind kind) const;
    int GroupIoctl(int fd, unsigned long request, void* argument);
    int DeviceIoctl(unsigned long request, void* argument);
    int GetInfo(void* argument) const;
    int MapDma(void* argument);
    int UnmapDma(void* argument);
    bool InsideReportedRanges(uint64_t iova, uint64_t size) const;
    bool InsideHostBlock(uint64_t vaddr, uint64_t size) const;
    std::optional<size_t> ConfigIndex(size_t size, off_t offset) const;

    std::map<int, Descriptor> fds_;
    int nextFd_ = 100;
    int attachedGroup_ = -1;
    bool iommuSet_ = false;
    bool bar0Mapped_ = false;
    std::map<void*, size_t> host_;
    std::set<const void*> locked_;
};
