#include "platform/MmioRegisterWindow.h"

MmioRegisterWindow::MmioRegisterWindow(volatile uint8_t* base, uint32_t mapped_bytes)
    : base_(base), mappedBytes_(mapped_bytes) {}

uint32_t MmioRegisterWindow::read32(uint32_t offset) {
    if (!IsValid32(offset) || !Fits(offset, 4)) {
        return 0xFFFFFFFFu;
    }
    return *reinterpret_cast<volatile uint32_t*>(base_ + offset);
}

void MmioRegisterWindow::write32(uint32_t offset, uint32_t value) {
    if (IsValid32(offset) && Fits(offset, 4)) {
        *reinterpret_cast<volatile uint32_t*>(base_ + offset) = value;
    }
}

void MmioRegisterWindow::write8(uint32_t offset, uint8_t value) {
    if (IsValid8(offset) && Fits(offset, 1)) {
        base_[offset] = value;
    }
}

bool MmioRegisterWindow::Fits(uint32_t offset, uint32_t width) const {
    return offset <= mappedBytes_ && mappedBytes_ - offset >= width;
}
