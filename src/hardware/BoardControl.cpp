#include "hardware/BoardControl.h"

#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

namespace {
constexpr uint32_t kBoardOutputPins = 0x0F;
}

void BoardControl::SetBoardLines(uint32_t value) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    SetOutputEnable(kBoardOutputPins);
    WriteField(0, 1, static_cast<int32_t>(value));
}
