#include "support/SysfsFakeTree.h"

#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

void PutWord(std::vector<char>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>(value >> (8 * i));
    }
}

}  // namespace

SysfsFakeTree::SysfsFakeTree() {
    fs::create_directories(Root());
}

fs::path SysfsFakeTree::Root() const {
    return fs::path(dir_.path().toStdString()) / "devices";
}

void SysfsFakeTree::Add(const Function& function) {
    const fs::path folder = Root() / function.name;
    fs::create_directories(folder);
    std::vector<char> config(256, 0);
    PutWord(config, 0x00, function.idWord);
    PutWord(config, 0x10, function.bar0);
    std::ofstream(folder / "config", std::ios::binary)
        .write(config.data(), static_cast<std::streamsize>(function.visibleConfigBytes));
    if (!function.driver.empty()) {
        fs::create_directory_symlink("../../../bus/pci/drivers/" + function.driver,
                                     folder / "driver");
    }
    if (function.iommuGroup) {
        fs::create_directory_symlink(
            "../../../kernel/iommu_groups/" + std::to_string(*function.iommuGroup),
            folder / "iommu_group");
    }
}

void SysfsFakeTree::RemoveRoot() {
    fs::remove_all(Root());
}

void SysfsFakeTree::ReplaceRootWithFile() {
    RemoveRoot();
    std::ofstream(Root()) << "not a folder\n";
}

void SysfsFakeTree::ReplaceConfigWithFolder(const std::string& name) {
    const fs::path config = Root() / name / "config";
    fs::remove(config);
    fs::create_directory(config);
}
