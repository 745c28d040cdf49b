#pragma once

#include <cstdint>

// The PLL tuner module behind the I2C slave: takes the bytes of write messages
// addressed to it. After the address, bytes come in pairs: a pair whose first
// byte has bit 7 clear is the divider (high byte, low byte); one with bit 7 set
// is the control byte and the band byte. The control byte's ratio-select bits
// (2..1) set the divider step: 50, 31.25, 166.67 or 62.5 kHz for 00, 01, 10
// and 11; the tuned picture carrier is N x step - 38,871,250 Hz. Every
// divider or control change restarts the settling time after which the
// decoder may report a locked signal.
//
// The module powers up untuned (divider, control and band bytes 0): nothing
// is received until the first tune.
class TunerModule {
public:
    static constexpr int64_t kIntermediateFrequency_hz = 38'871'250;
    static constexpr uint64_t kSettle_us = 30'000;
    static constexpr uint8_t kBandLowVhf = 0xA1;
    static constexpr uint8_t kBandHighVhf = 0x90;
    static constexpr uint8_t kBandUhf = 0x30;
    static constexpr uint8_t kRatioSelectMask = 0x06;

    void BeginMessage() { expectFirstOfPair_ = true; }
    void ReceiveByte(uint8_t byte, uint64_t now_us);

    uint32_t Divider() const { return divider_; }
    uint8_t ControlByte() const { return control_; }
    uint8_t BandByte() const { return band_; }
    int64_t Carrier_hz() const;

    // True when the band byte selects a band that covers the tuned carrier.
    bool BandCoversCarrier() const;

    bool IsSettled(uint64_t now_us) const { return now_us - tunedAt_us_ >= kSettle_us; }

    // Band byte for a carrier (0 when no band covers it).
    static uint8_t BandFor(int64_t carrier_hz);

private:
    bool expectFirstOfPair_ = true;
    uint8_t firstOfPair_ = 0;
    uint32_t divider_ = 0;
    uint8_t control_ = 0;
    uint8_t band_ = 0;
    uint64_t tunedAt_us_ = 0;
};
