#pragma once

#include <cstdint>

// The position of an emulated video source in its own frame, and its sample
// rate. All inputs of one card share a timebase (think of a studio that locks
// every channel to one reference), so switching input or station keeps the
// picture in place. The rate is nominal plus a slow, seeded random walk of at
// most kMaxWalk_hz, well inside the range the software lock corrects. A source
// with a rate of its own (a sample file, a replayed capture) sets the nominal
// rate, and its tests or options turn the walk off.
//
// Positions are kept in 32.32 fixed point source samples; advancing by chip
// samples converts exactly, so drift never accumulates rounding error.
class SourceTimebase {
public:
    enum class RateWalk { On, Off };

    static constexpr int64_t kRateUnitsPerHz = 16;
    static constexpr int64_t kWalkStep = 4;   // 0.25 Hz per frame
    static constexpr int64_t kMaxWalk = 400;  // 25 Hz
    static constexpr int64_t kMaxWalk_hz = kMaxWalk / kRateUnitsPerHz;

    explicit SourceTimebase(uint64_t seed);

    // Puts the source at whole sample `position` of its frame.
    void AlignTo(uint64_t position);

    // Begins the next frame at whole sample `position`: a frame not yet
    // finished (past its middle) counts as finished.
    void StartFrameAt(uint64_t position);

    // Off holds the rate at exactly nominal + `offset_hz`.
    void SetRateWalk(RateWalk walk, int64_t offset_hz = 0);

    // The rate the source runs at before the walk; SignalLayout's by default.
    void SetNominalRate(uint64_t rate_hz);

    // The chip's sample rate; 0 means the chip isn't sampling.
    void SetChipRate(uint64_t chipRate_hz);

    // Source rate in 1/16 Hz.
    int64_t Rate() const { return rate_; }

    // Whole source sample within the frame (0 ... 1,417,499).
    uint64_t Position() const { return position_ >> 32; }

    // Frames begun since construction.
    uint32_t Frame() const { return frame_; }

    // Moves on by `chipSamples` sample clocks of the chip.
    void Advance(uint64_t chipSamples);

private:
    void UpdateStep();
    void NextFrame();
    uint64_t NextRandom();

    uint64_t position_ = 0;
    uint64_t step_ = uint64_t{1} << 32;
    uint64_t chipRate_hz_ = 0;
    uint64_t nominalRate_hz_;
    int64_t walk_ = 0;
    int64_t rate_ = 0;
    RateWalk walkMode_ = RateWalk::On;
    uint32_t frame_ = 0;
    uint64_t random_;
};
