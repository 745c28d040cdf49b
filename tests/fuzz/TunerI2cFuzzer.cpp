// The emulated tuner watches every write the driver makes to the I2C lines.
// Any sequence of line levels and times must keep its state machine
// consistent: it pulls SDA only while acknowledging, and a message is counted
// only when a stop ends one that was addressed to it.
#include <cstdint>
#include <cstdlib>

#include "emulator/I2cTunerSlave.h"
#include "emulator/TunerModule.h"

namespace {

using State = I2cTunerSlave::State;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool Acknowledging(State state) {
    return state == State::AddressAck || state == State::DataAck;
}

}  // namespace

// Each byte is one write of the lines: bit 0 SCL, bit 1 SDA, the upper six
// bits the microseconds since the previous write.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TunerModule tuner;
    I2cTunerSlave slave(tuner);
    uint32_t addressedStops = 0;
    slave.SetTrace([&](State from, I2cTunerSlave::Event event, State) {
        if (event == I2cTunerSlave::Event::Stop && (Acknowledging(from) || from == State::Data)) {
            ++addressedStops;
        }
    });
    uint64_t now_us = 0;
    for (size_t i = 0; i < size; ++i) {
        now_us += data[i] >> 2;
        slave.OnMasterLines((data[i] & 1) != 0, (data[i] & 2) != 0, now_us);
        Require(slave.SdaReleased() || Acknowledging(slave.CurrentState()));
        Require(slave.MessagesReceived() == addressedStops);
        Require(tuner.Divider() <= 0x7FFF);
        tuner.Carrier_hz();
        tuner.BandCoversCarrier();
    }
    return 0;
}
