#include "platform/SysfsConfigPorts.h"

#include <system_error>

SysfsConfigPorts::SysfsConfigPorts(std::filesystem::path root) : tree_(std::move(root)) {}

void SysfsConfigPorts::out32(uint16_t port, uint32_t value) {
    if (port != kAddressPort) {
        return;
    }
    address_ = value;
    if (value == kEnable) {
        Rescan();
    }
}

uint32_t SysfsConfigPorts::in32(uint16_t port) {
    if (port == kAddressPort) {
        return address_;
    }
    if (port != kDataPort || (address_ & kEnable) == 0) {
        return kNothing;
    }
    ListIfNeeded();
    return ReadLatchedRegister();
}

void SysfsConfigPorts::Rescan() {
    listed_ = false;
}

void SysfsConfigPorts::ListIfNeeded() {
    if (listed_) {
        return;
    }
    try {
        present_.reset();
        for (const SysfsPciAddress& function : tree_.ListFunctions()) {
            present_.set(function.Index());
        }
    } catch (const std::system_error& error) {
        throw PortAccessRefused(error.what());
    }
    listed_ = true;
}

uint32_t SysfsConfigPorts::ReadLatchedRegister() {
    const auto index = static_cast<uint16_t>((address_ >> 8) & 0xFFFF);
    if (!present_.test(index)) {
        return kNothing;
    }
    try {
        // Past the part of configuration space an unprivileged reader may see
        // the file simply ends; that is not a refusal, and reads as no answer.
        return tree_.ReadConfig32(SysfsPciAddress::FromIndex(index), address_ & 0xFC)
            .value_or(kNothing);
    } catch (const std::system_error& error) {
        // A function removed since the listing no longer answers.
        if (error.code() == std::errc::no_such_file_or_directory) {
            return kNothing;
        }
        throw PortAccessRefused(error.what());
    }
}
