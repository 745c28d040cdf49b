#pragma once

#include <cstdint>

#include "platform/RegisterWindow.h"

// The register window over a mapped memory BAR: every access is a single
// volatile load or store of the stated width, so the compiler neither merges,
// splits, reorders nor drops it. Accesses are checked against both the window
// size and the mapping; anything outside is ignored and reads 0xFFFFFFFF.
// Does not own the mapping, which must outlive the window.
class MmioRegisterWindow : public RegisterWindow {
public:
    MmioRegisterWindow(volatile uint8_t* base, uint32_t mapped_bytes);

    uint32_t read32(uint32_t offset) override;
    void write32(uint32_t offset, uint32_t value) override;
    void write8(uint32_t offset, uint8_t value) override;

private:
    bool Fits(uint32_t offset, uint32_t width) const;

    volatile uint8_t* base_;
    uint32_t mappedBytes_;
};
