#pragma once

#include "platform/VfioSystem.h"

// Owns one file descriptor obtained through a VfioSystem and closes it through
// the same system when destroyed. Move-only.
class VfioHandle {
public:
    VfioHandle() = default;
    VfioHandle(VfioSystem& system, int fd) : system_(&system), fd_(fd) {}
    VfioHandle(VfioHandle&& other) noexcept;
    VfioHandle& operator=(VfioHandle&& other) noexcept;
    VfioHandle(const VfioHandle&) = delete;
    VfioHandle& operator=(const VfioHandle&) = delete;
    ~VfioHandle();

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    void Reset();

    VfioSystem* system_ = nullptr;
    int fd_ = -1;
};
