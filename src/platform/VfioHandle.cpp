#include "platform/VfioHandle.h"

#include <utility>

VfioHandle::VfioHandle(VfioHandle&& other) noexcept
    : system_(other.system_), fd_(std::exchange(other.fd_, -1)) {}

VfioHandle& VfioHandle::operator=(VfioHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        system_ = other.system_;
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

VfioHandle::~VfioHandle() {
    Reset();
}

void VfioHandle::Reset() {
    if (fd_ >= 0 && system_ != nullptr) {
        system_->Close(fd_);
    }
    fd_ = -1;
}
