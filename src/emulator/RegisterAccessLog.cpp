#include "emulator/RegisterAccessLog.h"

void RegisterAccessLog::Start() {
    accesses_.clear();
    dropped_ = 0;
    recording_ = true;
}

void RegisterAccessLog::Record(Kind kind, uint32_t offset, uint32_t value) {
    if (!recording_) {
        return;
    }
    if (accesses_.size() >= kCapacity) {
        ++dropped_;
        return;
    }
    accesses_.push_back({kind, offset, value});
}

std::vector<RegisterAccessLog::Access> RegisterAccessLog::Take() {
    std::vector<Access> taken;
    taken.swap(accesses_);
    return taken;
}
