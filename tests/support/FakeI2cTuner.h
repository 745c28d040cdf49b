#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A slave on the I2C lines of FakeRegisterWindow: decodes what the master
// clocks out and records it, acknowledges each byte when told to, and can hold
// the clock line low. With acknowledges off it is a passive bus monitor.
//
// Lines are wired-AND: a line is high only when neither side pulls it low.
class FakeI2cTuner {
public:
    enum class Acknowledge { Yes, No };
    enum class ClockLine { Free, HeldLow };

    explicit FakeI2cTuner(Acknowledge acknowledge = Acknowledge::Yes) : acknowledge_(acknowledge) {}

    void SetClockLine(ClockLine clock) { clock_ = clock; }

    // The levels the master drives now (true: released).
    void OnMasterLines(bool scl, bool sda);

    bool PullsSclLow() const { return clock_ == ClockLine::HeldLow; }
    bool PullsSdaLow() const { return pullingSda_; }

    // Messages completed by a stop condition, each the bytes between start and
    // stop (incomplete trailing bits dropped).
    const std::vector<std::vector<uint8_t>>& Messages() const { return messages_; }
    // Bus conditions in order: 'S' start, 'P' stop.
    const std::string& Conditions() const { return conditions_; }
    // The SDA level seen at every rising clock edge.
    const std::vector<int>& SdaOnClockPulses() const { return pulses_; }

    void ClearRecord();

private:
    enum class State { Idle, Receiving, Acknowledging };

    void OnStart();
    void OnStop();
    void OnClockRise(bool sda);
    void OnClockFall();

    Acknowledge acknowledge_;
    ClockLine clock_ = ClockLine::Free;
    State state_ = State::Idle;
    bool pullingSda_ = false;
    bool sclBefore_ = true;
    bool sdaBefore_ = true;
    int bits_ = 0;
    uint8_t byte_ = 0;
    std::vector<uint8_t> message_;
    std::vector<std::vector<uint8_t>> messages_;
    std::string conditions_;
    std::vector<int> pulses_;
};
