#include "support/ScriptedConfigPorts.h"

void ScriptedConfigPorts::AddFunction(uint8_t bus, uint8_t deviceFunction, uint32_t id,
                                      uint32_t bar0) {
    space_[Address(bus, deviceFunction, 0x00)] = id;
    space_[Address(bus, deviceFunction, 0x10)] = bar0;
}

void ScriptedConfigPorts::out32(uint16_t port, uint32_t value) {
    CountAccess();
    if (port == kAddressPort) {
        latched_ = value;
    } else {
        ++dataWrites_;
    }
}

uint32_t ScriptedConfigPorts::in32(uint16_t port) {
    CountAccess();
    if (port != kDataPort) {
        return 0xFFFFFFFFu;
    }
    addressesRead_.push_back(latched_);
    const auto found = space_.find(latched_);
    return found == space_.end() ? 0xFFFFFFFFu : found->second;
}

void ScriptedConfigPorts::CountAccess() {
    if (accesses_++ >= refuseFrom_) {
        throw PortAccessRefused("configuration ports refused");
    }
}
