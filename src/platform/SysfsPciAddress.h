#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A PCI function in domain 0, as sysfs names it ("0000:01:05.0").
struct SysfsPciAddress {
    uint8_t bus = 0;
    uint8_t device = 0;    // 0..31
    uint8_t function = 0;  // 0..7

    // bus << 8 | device << 3 | function: the order in which a configuration
    // scan visits functions.
    uint16_t Index() const { return static_cast<uint16_t>(bus << 8 | device << 3 | function); }
    static SysfsPciAddress FromIndex(uint16_t index);

    std::string Name() const;

    // Nullopt for anything but a well-formed domain-0 name.
    static std::optional<SysfsPciAddress> Parse(std::string_view name);

    bool operator==(const SysfsPciAddress&) const = default;
};
