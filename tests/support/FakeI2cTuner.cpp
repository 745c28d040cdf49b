#include "support/FakeI2cTuner.h"

void FakeI2cTuner::OnMasterLines(bool masterScl, bool masterSda) {
    const bool scl = masterScl && !PullsSclLow();
    const bool sda = masterSda && !pullingSda_;
    if (scl && sclBefore_ && sda != sdaBefore_) {
        sda ? OnStop() : OnStart();
    } else if (scl && !sclBefore_) {
        OnClockRise(sda);
    } else if (!scl && sclBefore_) {
        OnClockFall();
    }
    sclBefore_ = scl;
    sdaBefore_ = masterSda && !pullingSda_;
}

void FakeI2cTuner::ClearRecord() {
    messages_.clear();
    conditions_.clear();
    pulses_.clear();
}

void FakeI2cTuner::OnStart() {
    conditions_ += 'S';
    state_ = State::Receiving;
    bits_ = 0;
    byte_ = 0;
    message_.clear();
}

void FakeI2cTuner::OnStop() {
    conditions_ += 'P';
    if (state_ != State::Idle) {
        messages_.push_back(message_);
    }
    state_ = State::Idle;
    pullingSda_ = false;
}

void FakeI2cTuner::OnClockRise(bool sda) {
    pulses_.push_back(sda ? 1 : 0);
    if (state_ == State::Receiving) {
        byte_ = static_cast<uint8_t>(byte_ << 1 | (sda ? 1 : 0));
        ++bits_;
    }
}

void FakeI2cTuner::OnClockFall() {
    if (state_ == State::Receiving && bits_ == 8) {
        message_.push_back(byte_);
        state_ = State::Acknowledging;
        pullingSda_ = acknowledge_ == Acknowledge::Yes;
    } else if (state_ == State::Acknowledging) {
        pullingSda_ = false;
        state_ = State::Receiving;
        bits_ = 0;
        byte_ = 0;
    }
}
