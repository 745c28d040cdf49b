#include "hardware/I2cBus.h"

#include "hardware/Bt848Registers.h"
#include "hardware/MicrosecondClock.h"
#include "hardware/RegisterAccess.h"
#include "platform/LockPumping.h"
#include "platform/SingleLock.h"

void I2cBus::Settle() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    DelayMicroseconds(kSettle_us);
}

void I2cBus::SetSda(int level) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    DriveLine(Line::Sda, level);
    Settle();
}

void I2cBus::SetScl(int level) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    DriveLine(Line::Scl, level);
    WaitLine(Line::Scl, level);
    Settle();
}

void I2cBus::Start() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    SetSda(1);
    SetScl(1);
    SetSda(0);
    SetScl(0);
}

void I2cBus::Stop() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    SetScl(0);
    SetSda(0);
    SetScl(1);
    SetSda(1);
}

void I2cBus::WriteByte(uint8_t value) {
    SingleLock lock(mutex_);
    LockPumping(lock);
    for (int bit = 7; bit >= 0; --bit) {
        SetScl(0);
        SetSda((value >> bit) & 1);
        SetScl(1);
    }
    SetScl(0);
    SetSda(1);
    // The acknowledge is waited for so a slave can answer, but not checked:
    // nothing here could act on a missing tuner.
    WaitLine(Line::Sda, 0);
    SetScl(1);
    SetScl(0);
}

void I2cBus::ResetBus() {
    SingleLock lock(mutex_);
    LockPumping(lock);
    // Both lines low through the low byte alone; the line image stays as it is.
    WriteRegisterByte(bt848::kI2c, 0);
    DriveLine(Line::Sda, 1);
    Settle();
    DriveLine(Line::Scl, 1);
    WaitLine(Line::Scl, 1);
    Settle();
    SetSda(0);
    SetScl(0);
    DriveLine(Line::Scl, 0);
    WaitLine(Line::Scl, 0);
    Settle();
    DriveLine(Line::Sda, 0);
    Settle();
    SetScl(1);
    SetSda(1);
}

void I2cBus::DriveLine(Line line, int level) {
    const auto bit = static_cast<uint32_t>(line);
    lineImage_ = (level & 1) ? (lineImage_ | bit) : (lineImage_ & ~bit);
    WriteRegister(bt848::kI2c, lineImage_);
}

// Running out of time is not an error: a missing or slow slave must not stop
// the sequence, it only costs the wait.
void I2cBus::WaitLine(Line line, int level) {
    const auto bit = static_cast<uint32_t>(line);
    const uint32_t wanted = (level & 1) ? bit : 0u;
    const uint64_t deadline_us = MicrosecondClock() + kLineWait_us;
    while (MicrosecondClock() < deadline_us) {
        if ((ReadRegister(bt848::kI2c) & bit) == wanted) {
            return;
        }
    }
}
