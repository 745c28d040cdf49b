#pragma once

#include <cstdint>

// The capture chip's 4 KiB register window. Offsets are byte offsets from the
// start of the window; 32-bit accesses must be 4-byte aligned. An access outside
// the window (or misaligned) is ignored and reads as 0xFFFFFFFF, as a bus read of
// nothing would; it never touches memory beyond the window.
//
// Implementations: volatile MMIO of a mapped BAR on a real card, calls into the
// chip model on the emulated card, plain memory in tests.
class RegisterWindow {
public:
    static constexpr uint32_t kSize = 0x1000;

    virtual ~RegisterWindow() = default;

    virtual uint32_t read32(uint32_t offset) = 0;
    virtual void write32(uint32_t offset, uint32_t value) = 0;
    virtual void write8(uint32_t offset, uint8_t value) = 0;

    static bool IsValid32(uint32_t offset) { return offset < kSize && (offset & 3u) == 0; }
    static bool IsValid8(uint32_t offset) { return offset < kSize; }
};

// The process-wide register window: set once when the capture card is mapped,
// null until then and when no card was found.
extern RegisterWindow* registerWindow;
