#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// Field status, capture and DMA enables, field alignment and decimation.
// Flag arguments use bit 0 only; results marked bit are 0 or 1. The frame
// thread polls GetFieldCount and IsEvenField continuously.
class CaptureControl {
public:
    virtual ~CaptureControl() = default;

    // FCAP: the chip's field counter, 0..255, wrapping.
    int GetFieldCount();

    // DSTATUS FIELD (bit).
    int IsEvenField();

    // CAP_CTL: captures both fields or neither.
    void SetCapture(int flag);

    // GPIO_DMA_CTL FIFO_ENABLE.
    void SetFifoEnable(int flag);

    // GPIO_DMA_CTL RISC_ENABLE.
    void SetRiscEnable(int flag);

    // TDEC FLDALIGN.
    void SetFieldAlign(int flag);

    // TDEC DEC_RAT := n, doubled when the chip counts decimation in fields
    // (DEC_FIELD set); masked to 6 bits.
    void SetDecimation(int n);

private:
    uint32_t ReadTdec();

    Mutex mutex_{"CaptureControl", LockRank::kCardInterface};
};
