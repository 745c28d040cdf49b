#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// The start address of the DMA (RISC) program.
class DmaControl {
public:
    virtual ~DmaControl() = default;

    // RISC_STRT_ADD := `physical`, the program's 32-bit bus address.
    void SetRiscStart(uint32_t physical);

private:
    Mutex mutex_{"DmaControl", LockRank::kCardInterface};
};
