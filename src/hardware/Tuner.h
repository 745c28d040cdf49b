#pragma once

#include <cstdint>

#include "hardware/I2cBus.h"
#include "platform/Mutex.h"

// The PLL tuner module at I2C write address 0xC2. Lock order: the tuner's
// lock, then the bus lock; the two messages of one Tune are kept together by
// the tuner's lock.
class Tuner : public I2cBus {
public:
    static constexpr int32_t kLowestFrequency_hz = 41'000'000;
    static constexpr int32_t kHighestFrequency_hz = 880'000'000;

    ~Tuner() override = default;

    // Tunes to `frequency_hz` (41 MHz .. 880 MHz inclusive): sends the divider
    // message, then the control and band message. Returns 1 when sent, 0 when
    // the frequency is out of range (nothing is sent and the current frequency
    // stays). A missing tuner is not noticed; it only makes the call slow.
    int Tune(int32_t frequency_hz);

    // The last frequency accepted by Tune, in Hz; 0 before the first. Waits
    // for a Tune in progress on another thread.
    int32_t GetFrequency();

private:
    void SendMessage(uint8_t first, uint8_t second);

    Mutex mutex_{"Tuner", LockRank::kCardOuter};
    int32_t frequency_hz_ = 0;
};
