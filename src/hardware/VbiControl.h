#pragma once

#include "platform/Mutex.h"

// The VBI packing controls and the luma overflow status.
class VbiControl {
public:
    virtual ~VbiControl() = default;

    // VBI_PACK_DEL EXT_FRAME := bit 0 of `flag`: capture the whole frame,
    // blanking included.
    void SetExtendedFrame(int flag);

    // DSTATUS LOF (bit).
    int LumaOverflow();

private:
    Mutex mutex_{"VbiControl", LockRank::kCardInterface};
};
