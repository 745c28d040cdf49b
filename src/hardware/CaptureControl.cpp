#include "hardware/CaptureControl.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

using namespace bt848;

int CaptureControl::GetFieldCount() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return static_cast<int>(ReadRegisterField(kFcap, kLowByte));
}

int CaptureControl::IsEvenField() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return static_cast<int>(ReadRegisterField(kDstatus, kField));
}

void CaptureControl::SetCapture(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kCapCtl, kCaptureOdd, static_cast<uint32_t>(flag));
    WriteRegisterField(kCapCtl, kCaptureEven, ReadRegisterField(kCapCtl, kCaptureOdd));
}

void CaptureControl::SetFifoEnable(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kGpioDmaCtl, kFifoEnable, static_cast<uint32_t>(flag));
}

void CaptureControl::SetRiscEnable(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kGpioDmaCtl, kRiscEnable, static_cast<uint32_t>(flag));
}

void CaptureControl::SetFieldAlign(int flag) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(kTdec, kFldalign, static_cast<uint32_t>(flag));
}

void CaptureControl::SetDecimation(int n) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    uint32_t rate = static_cast<uint32_t>(n);
    if (kDecField.Extract(ReadTdec()) != 0) {
        rate *= 2;
    }
    WriteRegisterField(kTdec, kDecRat, rate);
}

uint32_t CaptureControl::ReadTdec() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    return ReadRegister(kTdec);
}
