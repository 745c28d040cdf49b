#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/SysfsPciAddress.h"

// Read-only view of the PCI functions the kernel lists under a sysfs folder
// (normally /sys/bus/pci/devices; tests pass a tree of their own). Every
// operation that cannot read what it needs throws std::system_error whose
// text names the path.
class SysfsPciTree {
public:
    static constexpr const char* kDefaultRoot = "/sys/bus/pci/devices";

    explicit SysfsPciTree(std::filesystem::path root = kDefaultRoot);

    const std::filesystem::path& Root() const { return root_; }

    // The domain-0 functions present, in scan order (bus, then device and
    // function). Entries of other domains and stray names are left out.
    std::vector<SysfsPciAddress> ListFunctions() const;

    // The aligned 32-bit configuration word at `offset` (little-endian), or
    // nullopt when the file ends before it (unprivileged readers see only the
    // first 64 bytes of configuration space).
    std::optional<uint32_t> ReadConfig32(const SysfsPciAddress& function, uint32_t offset) const;

    // Name of the kernel driver bound to the function; empty when none is.
    std::string DriverName(const SysfsPciAddress& function) const;

    // Number of the function's IOMMU group; nullopt when it has none (IOMMU off).
    std::optional<int> IommuGroup(const SysfsPciAddress& function) const;

private:
    std::filesystem::path FunctionPath(const SysfsPciAddress& function) const;
    std::optional<std::string> LinkTargetName(const std::filesystem::path& link) const;

    std::filesystem::path root_;
};
