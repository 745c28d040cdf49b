#include "hardware/GpioPort.h"

#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

void GpioPort::SetOutputEnable(uint32_t mask) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    WriteRegisterField(bt848::kGpioOutEn, bt848::kGpioOutEnPins, mask);
}

void GpioPort::WriteField(int32_t low, int32_t high, int32_t value) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    if (low < 0 || low > high || high > 31) {
        return;
    }
    // The mask is formed in 64 bits so that the full width of 32 bits works.
    const uint32_t width = static_cast<uint32_t>(high - low + 1);
    const uint32_t mask = static_cast<uint32_t>((uint64_t{1} << width) - 1);
    const uint32_t data = ReadRegister(bt848::kGpioData);
    const uint32_t shifted = (static_cast<uint32_t>(value) & mask) << low;
    WriteRegister(bt848::kGpioData, (data & ~(mask << low)) | shifted);
}
