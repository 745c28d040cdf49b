#include "emulator/TunerModule.h"

namespace {

struct Band {
    uint8_t byte;
    int64_t low_hz;
    int64_t high_hz;
};

// Neighbouring bands overlap by a couple of MHz, as they do on real modules,
// so a frequency at a band's edge is received whichever of the two is chosen.
constexpr Band kBands[] = {
    {TunerModule::kBandLowVhf, 40'000'000, 161'000'000},
    {TunerModule::kBandHighVhf, 159'000'000, 455'000'000},
    {TunerModule::kBandUhf, 453'000'000, 881'000'000},
};

// Divider steps by ratio select, as a fraction of Hz.
struct Step {
    int64_t numerator_hz;
    int64_t denominator;
};

constexpr Step kSteps[] = {{50'000, 1}, {31'250, 1}, {500'000, 3}, {62'500, 1}};

}  // namespace

void TunerModule::ReceiveByte(uint8_t byte, uint64_t now_us) {
    if (expectFirstOfPair_) {
        firstOfPair_ = byte;
        expectFirstOfPair_ = false;
        return;
    }
    expectFirstOfPair_ = true;
    if (firstOfPair_ & 0x80) {
        control_ = firstOfPair_;
        band_ = byte;
    } else {
        divider_ = (uint32_t{firstOfPair_} << 8) | byte;
    }
    tunedAt_us_ = now_us;
}

int64_t TunerModule::Carrier_hz() const {
    const Step step = kSteps[(control_ & kRatioSelectMask) >> 1];
    return int64_t{divider_} * step.numerator_hz / step.denominator - kIntermediateFrequency_hz;
}

bool TunerModule::BandCoversCarrier() const {
    int64_t carrier = Carrier_hz();
    for (const Band& band : kBands) {
        if (band.byte == band_ && carrier >= band.low_hz && carrier <= band.high_hz) {
            return true;
        }
    }
    return false;
}

uint8_t TunerModule::BandFor(int64_t carrier_hz) {
    for (const Band& band : kBands) {
        if (carrier_hz >= band.low_hz && carrier_hz <= band.high_hz) {
            return band.byte;
        }
    }
    return 0;
}
