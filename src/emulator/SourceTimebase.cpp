#include "emulator/SourceTimebase.h"

#include "emulator/SignalLayout.h"

namespace {

__extension__ using Uint128 = unsigned __int128;

constexpr uint64_t kFrameFixed = SignalLayout::kSamplesPerFrame << 32;

}  // namespace

SourceTimebase::SourceTimebase(uint64_t seed)
    : nominalRate_hz_(SignalLayout::kNominalRate_hz), random_(seed | 1) {
    UpdateStep();
}

void SourceTimebase::AlignTo(uint64_t position) {
    position_ = (position % SignalLayout::kSamplesPerFrame) << 32;
}

void SourceTimebase::StartFrameAt(uint64_t position) {
    if (Position() > SignalLayout::kSamplesPerFrame / 2) {
        NextFrame();
    }
    AlignTo(position);
}

void SourceTimebase::SetRateWalk(RateWalk walk, int64_t offset_hz) {
    walkMode_ = walk;
    walk_ = offset_hz * kRateUnitsPerHz;
    UpdateStep();
}

void SourceTimebase::SetNominalRate(uint64_t rate_hz) {
    if (rate_hz != nominalRate_hz_) {
        nominalRate_hz_ = rate_hz;
        UpdateStep();
    }
}

void SourceTimebase::SetChipRate(uint64_t chipRate_hz) {
    if (chipRate_hz != chipRate_hz_) {
        chipRate_hz_ = chipRate_hz;
        UpdateStep();
    }
}

// step = source rate / chip rate in 32.32 fixed point; 128-bit so any PLL
// setting the registers allow converts without overflow.
void SourceTimebase::UpdateStep() {
    rate_ = static_cast<int64_t>(nominalRate_hz_) * kRateUnitsPerHz + walk_;
    if (chipRate_hz_ == 0) {
        return;
    }
    Uint128 numerator = Uint128(static_cast<uint64_t>(rate_)) << 32;
    step_ = static_cast<uint64_t>(numerator / (Uint128(chipRate_hz_) * kRateUnitsPerHz));
}

void SourceTimebase::Advance(uint64_t chipSamples) {
    Uint128 next = Uint128(position_) + Uint128(chipSamples) * step_;
    while (next >= kFrameFixed) {
        next -= kFrameFixed;
        NextFrame();
    }
    position_ = static_cast<uint64_t>(next);
}

void SourceTimebase::NextFrame() {
    ++frame_;
    if (walkMode_ == RateWalk::Off) {
        return;
    }
    int64_t move = static_cast<int64_t>(NextRandom() % 3) - 1;
    int64_t next = walk_ + move * kWalkStep;
    if (next >= -kMaxWalk && next <= kMaxWalk) {
        walk_ = next;
        UpdateStep();
    }
}

uint64_t SourceTimebase::NextRandom() {
    random_ ^= random_ << 13;
    random_ ^= random_ >> 7;
    random_ ^= random_ << 17;
    return random_;
}
