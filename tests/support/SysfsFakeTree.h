#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// A fake /sys/bus/pci/devices in a temporary folder: one folder per function
// with a 256-byte config file (word 0 and BAR0 as chosen, the rest zero) and,
// when asked, the driver and iommu_group links the kernel creates.
class SysfsFakeTree {
public:
    struct Function {
        Function() = default;
        Function(std::string name, uint32_t idWord, uint32_t bar0 = 0, std::string driver = "",
                 std::optional<int> iommuGroup = std::nullopt, size_t visibleConfigBytes = 256)
            : name(std::move(name)),
              idWord(idWord),
              bar0(bar0),
              driver(std::move(driver)),
              iommuGroup(iommuGroup),
              visibleConfigBytes(visibleConfigBytes) {}

        std::string name;     // "0000:01:05.0"
        uint32_t idWord = 0;  // device << 16 | vendor
        uint32_t bar0 = 0;
        std::string driver;  // empty: bound to no driver
        std::optional<int> iommuGroup;
        size_t visibleConfigBytes = 256;  // 64 is what an unprivileged reader sees
    };

    SysfsFakeTree();

    std::filesystem::path Root() const;

    void Add(const Function& function);

    // Ways for sysfs to be unreadable, independent of the user's privileges.
    void RemoveRoot();
    void ReplaceRootWithFile();
    void ReplaceConfigWithFolder(const std::string& name);

private:
    QTemporaryDir dir_;
};
