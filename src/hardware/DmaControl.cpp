#include "hardware/DmaControl.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

void DmaControl::SetRiscStart(uint32_t physical) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegister(bt848::kRiscStrtAdd, physical);
}
