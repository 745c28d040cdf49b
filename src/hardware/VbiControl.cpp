#include "hardware/VbiControl.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

void VbiControl::SetExtendedFrame(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(bt848::kVbiPackDel, bt848::kExtFrame, static_cast<uint32_t>(flag));
}

int VbiControl::LumaOverflow() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return static_cast<int>(ReadRegisterField(bt848::kDstatus, bt848::kLof));
}
