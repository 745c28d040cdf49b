#pragma once

#include <cstdint>
#include <functional>

class TunerModule;

// The tuner's side of the I2C bus, as an explicit state machine. It watches
// the bus levels (SCL is never stretched), recognises start and stop
// conditions, shifts in bytes on rising clock edges, and acknowledges its write
// address and every data byte by pulling SDA low from the clock's falling edge
// after the eighth bit until the falling edge after the acknowledge clock.
// Bytes of messages to other addresses, and read requests, are ignored.
class I2cTunerSlave {
public:
    static constexpr uint8_t kWriteAddress = 0xC2;

    enum class State { Idle, Address, AddressAck, Data, DataAck, NotAddressed };
    enum class Event { Start, Stop, ClockRise, ClockFall };

    // Called on every state change, for tests and debugging.
    using Trace = std::function<void(State from, Event event, State to)>;

    explicit I2cTunerSlave(TunerModule& tuner);

    void SetTrace(Trace trace) { trace_ = std::move(trace); }

    // The master's line levels after a write to the I2C register.
    void OnMasterLines(bool scl, bool sda, uint64_t now_us);

    // The slave's own SDA output: false while it pulls the line low.
    bool SdaReleased() const { return !pullingSda_; }

    State CurrentState() const { return state_; }
    uint32_t MessagesReceived() const { return messages_; }

private:
    void Step(Event event, bool sda, uint64_t now_us);
    void Transition(Event event, bool sda, uint64_t now_us);
    void ShiftIn(bool sda);

    TunerModule& tuner_;
    Trace trace_;
    State state_ = State::Idle;
    bool scl_ = true;
    bool sda_ = true;
    bool pullingSda_ = false;
    uint8_t shift_ = 0;
    uint32_t bits_ = 0;
    uint32_t messages_ = 0;
};
