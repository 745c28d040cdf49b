#include "emulator/EmulatedConfigSpace.h"

namespace {

constexpr uint32_t kEnableBit = 0x8000'0000u;
constexpr uint32_t kNoFunction = 0xFFFF'FFFFu;
constexpr uint32_t kRegId = 0x00;
constexpr uint32_t kRegCommandStatus = 0x04;
constexpr uint32_t kRegClassRevision = 0x08;
constexpr uint32_t kRegBar0 = 0x10;
constexpr uint32_t kRegSubsystem = 0x2C;

// Memory space and bus mastering enabled, as firmware leaves a capture card.
constexpr uint32_t kCommandStatus = 0x0280'0006u;
constexpr uint32_t kSubsystemId = 0x0000'0000u;

}  // namespace

EmulatedConfigSpace::EmulatedConfigSpace() {
    // A host bridge at 00:00.0 so the scan meets a function it must skip.
    AddFunction({0, 0, 0x1237'8086u, 0x0600'0002u, 0});
}

void EmulatedConfigSpace::AddFunction(const Function& function) {
    functions_.push_back(function);
}

void EmulatedConfigSpace::out32(uint16_t port, uint32_t value) {
    if (port == kAddressPort) {
        address_ = value;
    }
}

uint32_t EmulatedConfigSpace::in32(uint16_t port) {
    if (port != kDataPort) {
        return kNoFunction;
    }
    ++dataReads_;
    if ((address_ & kEnableBit) == 0) {
        return kNoFunction;
    }
    uint8_t bus = static_cast<uint8_t>(address_ >> 16);
    uint8_t deviceFunction = static_cast<uint8_t>(address_ >> 8);
    for (const Function& function : functions_) {
        if (function.bus == bus && function.deviceFunction == deviceFunction) {
            return ReadRegister(function, address_ & 0xFC);
        }
    }
    return kNoFunction;
}

uint32_t EmulatedConfigSpace::ReadRegister(const Function& function, uint32_t reg) const {
    switch (reg) {
        case kRegId:
            return function.id;
        case kRegCommandStatus:
            return kCommandStatus;
        case kRegClassRevision:
            return function.classRevision;
        case kRegBar0:
            return function.bar0;
        case kRegSubsystem:
            return kSubsystemId;
        default:
            return 0;
    }
}
