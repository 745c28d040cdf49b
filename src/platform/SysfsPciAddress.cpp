#include "platform/SysfsPciAddress.h"

#include <cctype>
#include <cstdio>

namespace {

std::optional<unsigned> HexField(std::string_view text) {
    unsigned value = 0;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                       ? c - '0'
                                                       : std::tolower(c) - 'a' + 10);
    }
    return value;
}

}  // namespace

SysfsPciAddress SysfsPciAddress::FromIndex(uint16_t index) {
    return {static_cast<uint8_t>(index >> 8), static_cast<uint8_t>((index >> 3) & 0x1F),
            static_cast<uint8_t>(index & 7)};
}

std::string SysfsPciAddress::Name() const {
    char name[16];
    std::snprintf(name, sizeof name, "0000:%02x:%02x.%x", bus, device, function);
    return name;
}

std::optional<SysfsPciAddress> SysfsPciAddress::Parse(std::string_view name) {
    if (name.size() != 12 || name.substr(0, 5) != "0000:" || name[7] != ':' || name[10] != '.') {
        return std::nullopt;
    }
    const auto bus = HexField(name.substr(5, 2));
    const auto device = HexField(name.substr(8, 2));
    const auto function = HexField(name.substr(11, 1));
    if (!bus || !device || !function || *device > 31 || *function > 7) {
        return std::nullopt;
    }
    return SysfsPciAddress{static_cast<uint8_t>(*bus), static_cast<uint8_t>(*device),
                           static_cast<uint8_t>(*function)};
}
