#pragma once

#include <cstdint>
#include <vector>

#include "emulator/Reception.h"

class LineSource;
class SourceTimebase;

// Produces the raw samples the chip's ADC would see on the selected input, in
// step with the source timebase: copies of the source's ready-made lines, snow
// from a seeded noise table when nothing is received, or the two mixed for a
// station received off-centre. Every sample the chip clocks goes through Read
// or Skip, so the source moves on whether or not the samples are captured.
//
// Not thread safe; the chip model's lock covers it.
class SignalSynthesizer {
public:
    enum class Motion { Moving, Still };

    SignalSynthesizer(SourceTimebase& timebase, uint64_t seed);

    // `source` may be null (nothing connected); then the reception is None.
    void Select(LineSource* source, Reception reception);
    void SetMotion(Motion motion) { motion_ = motion; }

    // Animation frame the pictures show now.
    uint32_t AnimationFrame() const;

    // The chip has begun a field that the DMA program captures from its
    // first sample on (an even field).
    void OnCapturedFieldStart();

    void Read(uint8_t* destination, uint64_t count);
    void Skip(uint64_t count);

private:
    void CopyNoise(uint8_t* destination, uint32_t count);
    void AddNoise(uint8_t* destination, uint32_t count);

    SourceTimebase& timebase_;
    LineSource* source_ = nullptr;
    Reception reception_ = Reception::None;
    Motion motion_ = Motion::Moving;
    std::vector<uint8_t> snow_;
    std::vector<int8_t> grain_;
    uint32_t noisePosition_ = 0;
};
