#include "platform/SysfsPciTree.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowErrno(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), path.string());
}

}  // namespace

SysfsPciTree::SysfsPciTree(fs::path root) : root_(std::move(root)) {}

std::vector<SysfsPciAddress> SysfsPciTree::ListFunctions() const {
    std::error_code error;
    fs::directory_iterator entries(root_, error);
    if (error) {
        throw std::system_error(error, root_.string());
    }
    std::vector<SysfsPciAddress> functions;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (const auto address = SysfsPciAddress::Parse(entries->path().filename().string())) {
            functions.push_back(*address);
        }
    }
    if (error) {
        throw std::system_error(error, root_.string());
    }
    std::sort(functions.begin(), functions.end(),
              [](const auto& a, const auto& b) { return a.Index() < b.Index(); });
    return functions;
}

std::optional<uint32_t> SysfsPciTree::ReadConfig32(const SysfsPciAddress& function,
                                                   uint32_t offset) const {
    // A plain POSIX read of exactly four bytes: the kernel turns it into
    // configuration cycles, and a buffered stream would read far more than asked.
    const fs::path path = FunctionPath(function) / "config";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ThrowErrno(errno, path);
    }
    uint8_t bytes[4] = {};
    const ssize_t got = ::pread(fd, bytes, sizeof bytes, offset);
    const int readError = errno;
    ::close(fd);
    if (got < 0) {
        ThrowErrno(readError, path);
    }
    if (got != static_cast<ssize_t>(sizeof bytes)) {
        return std::nullopt;
    }
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

std::string SysfsPciTree::DriverName(const SysfsPciAddress& function) const {
    return LinkTargetName(FunctionPath(function) / "driver").value_or("");
}

std::optional<int> SysfsPciTree::IommuGroup(const SysfsPciAddress& function) const {
    const auto name = LinkTargetName(FunctionPath(function) / "iommu_group");
    if (!name || name->empty() || name->size() > 9 ||
        !std::all_of(name->begin(), name->end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoi(*name);
}

fs::path SysfsPciTree::FunctionPath(const SysfsPciAddress& function) const {
    return root_ / function.Name();
}

std::optional<std::string> SysfsPciTree::LinkTargetName(const fs::path& link) const {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    if (error == std::errc::no_such_file_or_directory) {
        return std::nullopt;
    }
    if (error) {
        throw std::system_error(error, link.string());
    }
    return target.filename().string();
}
