#include "hardware/PciScan.h"

#include <algorithm>
#include <array>

#include "platform/ConfigPorts.h"

namespace {

constexpr std::array<uint32_t, 4> kChipIds = {
    0x0350109E,  // Bt848
    0x0351109E,  // Bt849
    0x036E109E,  // Bt878
    0x036F109E,  // Bt879
};

constexpr uint32_t kEnableConfigCycle = 0x80000000;
constexpr uint32_t kFunctionCount = 0x10000;
constexpr uint32_t kBaseAddressRegister0 = 0x10;
constexpr uint32_t kBaseAddressMask = 0xFFFFFFF0;
constexpr uint32_t kIoSpaceIndicator = 0x1;

uint32_t ReadConfig(ConfigPorts& ports, uint32_t address) {
    ports.out32(ConfigPorts::kAddressPort, address);
    return ports.in32(ConfigPorts::kDataPort);
}

// An I/O base address is no register window the driver could map.
std::optional<uint32_t> MemoryBaseAddress(ConfigPorts& ports, uint32_t functionAddress) {
    const uint32_t bar = ReadConfig(ports, functionAddress | kBaseAddressRegister0);
    const uint32_t physical = bar & kBaseAddressMask;
    if ((bar & kIoSpaceIndicator) != 0 || physical == 0) {
        return std::nullopt;
    }
    return physical;
}

}  // namespace

bool IsCaptureChipId(uint32_t word) {
    return std::find(kChipIds.begin(), kChipIds.end(), word) != kChipIds.end();
}

std::optional<uint32_t> FindCaptureChip(ConfigPorts& ports) {
    for (uint32_t function = 0; function < kFunctionCount; ++function) {
        const uint32_t address = kEnableConfigCycle | (function << 8);
        if (!IsCaptureChipId(ReadConfig(ports, address))) {
            continue;
        }
        if (const auto physical = MemoryBaseAddress(ports, address)) {
            return physical;
        }
    }
    return std::nullopt;
}
