#include "support/FakeRegisterWindow.h"

#include "support/FakeI2cTuner.h"

uint32_t FakeRegisterWindow::read32(uint32_t offset) {
    ++accesses_;
    if (!IsValid32(offset)) {
        return 0xFFFFFFFFu;
    }
    uint32_t word = Peek(offset);
    if (offset == kI2cRegister && i2cDevice_ != nullptr) {
        word &= ~((i2cDevice_->PullsSclLow() ? 2u : 0u) | (i2cDevice_->PullsSdaLow() ? 1u : 0u));
    }
    return word;
}

void FakeRegisterWindow::write32(uint32_t offset, uint32_t value) {
    ++accesses_;
    if (!IsValid32(offset)) {
        return;
    }
    writes_.push_back({offset, value, Width::Word});
    Poke(offset, value);
    if (offset == kI2cRegister) {
        NotifyI2cDevice();
    }
}

void FakeRegisterWindow::write8(uint32_t offset, uint8_t value) {
    ++accesses_;
    if (!IsValid8(offset)) {
        return;
    }
    writes_.push_back({offset, value, Width::Byte});
    memory_[offset] = value;
    if (offset == kI2cRegister) {
        NotifyI2cDevice();
    }
}

uint32_t FakeRegisterWindow::Peek(uint32_t offset) const {
    return uint32_t{memory_[offset]} | uint32_t{memory_[offset + 1]} << 8 |
           uint32_t{memory_[offset + 2]} << 16 | uint32_t{memory_[offset + 3]} << 24;
}

void FakeRegisterWindow::Poke(uint32_t offset, uint32_t value) {
    for (uint32_t i = 0; i < 4; ++i) {
        memory_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

std::vector<FakeRegisterWindow::Write> FakeRegisterWindow::WritesTo(uint32_t offset) const {
    std::vector<Write> matching;
    for (const Write& write : writes_) {
        if (write.offset == offset) {
            matching.push_back(write);
        }
    }
    return matching;
}

std::set<uint32_t> FakeRegisterWindow::WrittenOffsets() const {
    std::set<uint32_t> offsets;
    for (const Write& write : writes_) {
        offsets.insert(write.offset);
    }
    return offsets;
}

void FakeRegisterWindow::ClearLog() {
    writes_.clear();
    accesses_ = 0;
}

void FakeRegisterWindow::NotifyI2cDevice() {
    if (i2cDevice_ != nullptr) {
        const uint32_t lines = memory_[kI2cRegister];
        i2cDevice_->OnMasterLines((lines & 2u) != 0, (lines & 1u) != 0);
    }
}
