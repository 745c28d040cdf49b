#include "support/FakePhysMemDriver.h"

bool FakePhysMemDriver::Open() {
    ++opens_;
    open_ = !refuseOpen_;
    return open_;
}

void FakePhysMemDriver::Close() {
    ++closes_;
    open_ = false;
}

RegisterWindow* FakePhysMemDriver::MapRegisters(uint32_t physical, uint32_t length) {
    Record({Request::Map, physical, length, nullptr});
    return refuseMapping_ ? nullptr : window_;
}

bool FakePhysMemDriver::AllocateBuffer(uint32_t size, uint8_t** linear, uint32_t* physical) {
    Record({Request::Allocate, 0, size, nullptr});
    if (refuseAllocation_) {
        return false;
    }
    auto storage = std::make_unique<uint8_t[]>(size);
    *linear = storage.get();
    *physical = nextPhysical_;
    nextPhysical_ += (size + 0xFFFu) & ~0xFFFu;
    buffers_[*linear] = std::move(storage);
    return true;
}

bool FakePhysMemDriver::FreeBuffer(uint8_t* linear) {
    Record({Request::Free, 0, 0, linear});
    if (refuseFree_) {
        return false;
    }
    return buffers_.erase(linear) == 1;
}

void FakePhysMemDriver::Record(const Call& call) {
    calls_.push_back(call);
    if (!open_) {
        ++requestsWhileClosed_;
    }
}
