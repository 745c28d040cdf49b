#include "emulator/I2cTunerSlave.h"

#include "emulator/TunerModule.h"

I2cTunerSlave::I2cTunerSlave(TunerModule& tuner) : tuner_(tuner) {}

// Turns line changes into bus events. The bus level of SDA is the wired-AND of
// the master and this slave; SDA changes while SCL is low are data set-up, not
// events, which also keeps the slave's own acknowledge from looking like one.
void I2cTunerSlave::OnMasterLines(bool scl, bool sda, uint64_t now_us) {
    bool busSda = sda && !pullingSda_;
    if (scl && !scl_) {
        Step(Event::ClockRise, busSda, now_us);
    } else if (!scl && scl_) {
        Step(Event::ClockFall, busSda, now_us);
    } else if (scl && busSda != sda_) {
        Step(busSda ? Event::Stop : Event::Start, busSda, now_us);
    }
    scl_ = scl;
    sda_ = sda && !pullingSda_;
}

void I2cTunerSlave::Step(Event event, bool sda, uint64_t now_us) {
    State from = state_;
    Transition(event, sda, now_us);
    if (trace_ && state_ != from) {
        trace_(from, event, state_);
    }
}

void I2cTunerSlave::Transition(Event event, bool sda, uint64_t now_us) {
    if (event == Event::Start || event == Event::Stop) {
        pullingSda_ = false;
        bits_ = 0;
        if (event == Event::Stop && state_ != State::Idle && state_ != State::NotAddressed &&
            state_ != State::Address) {
            ++messages_;
        }
        state_ = event == Event::Start ? State::Address : State::Idle;
        return;
    }
    switch (state_) {
        case State::Idle:
        case State::NotAddressed:
            break;
        case State::Address:
            if (event == Event::ClockRise) {
                ShiftIn(sda);
            } else if (bits_ == 8) {
                bool ours = shift_ == kWriteAddress;
                state_ = ours ? State::AddressAck : State::NotAddressed;
                pullingSda_ = ours;
                if (ours) {
                    tuner_.BeginMessage();
                }
            }
            break;
        case State::Data:
            if (event == Event::ClockRise) {
                ShiftIn(sda);
            } else if (bits_ == 8) {
                tuner_.ReceiveByte(shift_, now_us);
                state_ = State::DataAck;
                pullingSda_ = true;
            }
            break;
        case State::AddressAck:
        case State::DataAck:
            if (event == Event::ClockFall) {
                pullingSda_ = false;
                bits_ = 0;
                state_ = State::Data;
            }
            break;
    }
}

void I2cTunerSlave::ShiftIn(bool sda) {
    shift_ = static_cast<uint8_t>((shift_ << 1) | (sda ? 1 : 0));
    ++bits_;
}
