#include "hardware/ColorFormat.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

using namespace bt848;

void ColorFormat::SetColorFormat(int code) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kColorFmt, kColorFmtOdd, static_cast<uint32_t>(code));
    WriteRegisterField(kColorFmt, kColorFmtEven, ReadRegisterField(kColorFmt, kColorFmtOdd));
}
