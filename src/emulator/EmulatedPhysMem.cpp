#include "emulator/EmulatedPhysMem.h"

#include <algorithm>
#include <cstring>

#include "platform/RegisterWindow.h"

namespace {

uint32_t RoundUpToPage(uint32_t size) {
    return (size + EmulatedPhysMem::kPageSize - 1) & ~(EmulatedPhysMem::kPageSize - 1);
}

}  // namespace

EmulatedPhysMem::EmulatedPhysMem(std::mutex& modelLock, uint64_t seed)
    : modelLock_(modelLock), noise_(seed | 1) {}

void EmulatedPhysMem::AddRegisterWindow(uint32_t physical, RegisterWindow* window) {
    std::lock_guard lock(modelLock_);
    windows_[physical] = window;
}

bool EmulatedPhysMem::Open() {
    std::lock_guard lock(modelLock_);
    open_ = true;
    return true;
}

void EmulatedPhysMem::Close() {
    std::lock_guard lock(modelLock_);
    open_ = false;
}

// A real driver refuses requests on a closed handle; counting them lets tests
// catch a caller that forgot to open.
bool EmulatedPhysMem::IsOpenLocked() {
    if (!open_) {
        ++requestsWithoutOpen_;
    }
    return open_;
}

RegisterWindow* EmulatedPhysMem::MapRegisters(uint32_t physical, uint32_t length) {
    std::lock_guard lock(modelLock_);
    if (!IsOpenLocked() || length == 0 || length > RegisterWindow::kSize) {
        return nullptr;
    }
    auto found = windows_.find(physical);
    return found == windows_.end() ? nullptr : found->second;
}

bool EmulatedPhysMem::AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) {
    std::lock_guard lock(modelLock_);
    if (!IsOpenLocked() || size == 0 || size > kMaxBufferSize) {
        return false;
    }
    uint32_t address = FindFreeRangeLocked(RoundUpToPage(size));
    if (address == 0) {
        return false;
    }
    Buffer buffer{std::make_unique<uint8_t[]>(size), size};
    FillWithNoise(buffer.memory.get(), size);
    *linear = buffer.memory.get();
    *physical = address;
    buffers_.emplace(address, std::move(buffer));
    return true;
}

void EmulatedPhysMem::FillWithNoise(uint8_t* bytes, uint32_t size) {
    for (uint32_t i = 0; i < size; i += 8) {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 7;
        noise_ ^= noise_ << 17;
        std::memcpy(bytes + i, &noise_, std::min<uint32_t>(8, size - i));
    }
}

// First fit, keeping one unmapped guard page after every buffer.
uint32_t EmulatedPhysMem::FindFreeRangeLocked(uint32_t size) const {
    uint64_t candidate = kFirstAddress;
    for (const auto& [start, buffer] : buffers_) {
        if (candidate + size + kPageSize <= start) {
            break;
        }
        candidate = uint64_t{start} + RoundUpToPage(buffer.size) + kPageSize;
    }
    return candidate + size <= kEndAddress ? static_cast<uint32_t>(candidate) : 0;
}

bool EmulatedPhysMem::FreeBuffer(uint8_t* linear) {
    std::lock_guard lock(modelLock_);
    if (!IsOpenLocked()) {
        return false;
    }
    for (auto it = buffers_.begin(); it != buffers_.end(); ++it) {
        if (it->second.memory.get() == linear) {
            buffers_.erase(it);
            return true;
        }
    }
    return false;
}

uint8_t* EmulatedPhysMem::Translate(uint32_t physical, uint32_t length) const {
    auto next = buffers_.upper_bound(physical);
    if (next == buffers_.begin()) {
        return nullptr;
    }
    const auto& [start, buffer] = *std::prev(next);
    uint64_t offset = physical - start;
    if (offset + length > buffer.size) {
        return nullptr;
    }
    return buffer.memory.get() + offset;
}

uint32_t EmulatedPhysMem::RequestsWithoutOpen() const {
    std::lock_guard lock(modelLock_);
    return requestsWithoutOpen_;
}
