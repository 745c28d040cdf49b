#pragma once

#include <cstdint>

#include "platform/Mutex.h"

// The chip's I2C bus, driven bit by bit through the I2C register (bit 1 SCL,
// bit 0 SDA; writing 1 releases a line, 0 pulls it low; reads give the lines'
// levels). Write-only: acknowledges are waited for but not acted on.
//
// Every operation holds the bus lock for its whole sequence, so a Start ...
// Stop message is never interleaved with another thread's bus activity. Line
// timing is busy-waiting on the calling thread, which does not dispatch events
// while it owns the bus.
class I2cBus {
public:
    // Wait after every line change.
    static constexpr uint64_t kSettle_us = 10;
    // Longest wait for a line to reach a level (acknowledge, clock stretching).
    static constexpr uint64_t kLineWait_us = 500'000;

    virtual ~I2cBus() = default;

    void Settle();
    // Drive SDA (bit 0 of `level`), then settle.
    void SetSda(int level);
    // Drive SCL (bit 0 of `level`), wait for the line to follow (a slave may
    // stretch the clock), then settle.
    void SetScl(int level);

    // Start condition: SDA falls while SCL is high; ends with SCL low.
    void Start();
    // Stop condition: SDA rises while SCL is high; leaves the bus idle.
    void Stop();
    // Clocks out `value` most significant bit first, then gives the slave a
    // ninth clock with SDA released for its acknowledge.
    void WriteByte(uint8_t value);

    // Brings a bus in an unknown state back to idle: both lines low, then a
    // start and a stop condition. Run once when the card is set up.
    void ResetBus();

private:
    enum class Line : uint32_t { Sda = 1u << 0, Scl = 1u << 1 };

    void DriveLine(Line line, int level);
    void WaitLine(Line line, int level);

    Mutex mutex_{"I2cBus", LockRank::kCardInner};
    // The word last written to the I2C register; only bits 0 and 1 change.
    uint32_t lineImage_ = 0;
};
