#include "emulator/SignalSynthesizer.h"

#include <algorithm>
#include <cstring>

#include "emulator/LineSource.h"
#include "emulator/SignalLayout.h"
#include "emulator/SourceTimebase.h"

using namespace SignalLayout;

namespace {

// The noise tables are longer than any run by a line, so a run never wraps.
constexpr uint32_t kNoisePeriod = 1u << 16;
constexpr uint32_t kNoiseSize = kNoisePeriod + kSamplesPerLine;
constexpr int kGrainAmplitude = 10;

uint32_t NextRandom(uint64_t& state) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
}

}  // namespace

SignalSynthesizer::SignalSynthesizer(SourceTimebase& timebase, uint64_t seed)
    : timebase_(timebase), snow_(kNoiseSize), grain_(kNoiseSize) {
    uint64_t state = seed;
    for (uint32_t i = 0; i < kNoiseSize; ++i) {
        snow_[i] =
            static_cast<uint8_t>(kBlackLevel + NextRandom(state) % (kWhiteLevel - kBlackLevel + 1));
        grain_[i] = static_cast<int8_t>(
            static_cast<int>(NextRandom(state) % (2 * kGrainAmplitude + 1)) - kGrainAmplitude);
    }
}

void SignalSynthesizer::Select(LineSource* source, Reception reception) {
    source_ = source;
    reception_ = source == nullptr ? Reception::None : reception;
    if (source != nullptr) {
        timebase_.SetNominalRate(source->SampleRate_hz(AnimationFrame()));
    }
}

uint32_t SignalSynthesizer::AnimationFrame() const {
    return motion_ == Motion::Moving ? timebase_.Frame() : 0;
}

void SignalSynthesizer::OnCapturedFieldStart() {
    if (source_ != nullptr && source_->FollowsCapturedFields()) {
        timebase_.StartFrameAt(kAlignedPosition);
        timebase_.SetNominalRate(source_->SampleRate_hz(AnimationFrame()));
    }
}

// Runs end at the source's line ends, so each is one copy from a ready line.
void SignalSynthesizer::Read(uint8_t* destination, uint64_t count) {
    while (count > 0) {
        uint64_t position = timebase_.Position();
        uint32_t line = static_cast<uint32_t>(position / kSamplesPerLine);
        uint32_t offset = static_cast<uint32_t>(position % kSamplesPerLine);
        uint32_t run = static_cast<uint32_t>(std::min<uint64_t>(count, kSamplesPerLine - offset));
        if (reception_ == Reception::None) {
            CopyNoise(destination, run);
        } else {
            std::memcpy(destination, source_->Line(line, AnimationFrame()) + offset, run);
            if (reception_ == Reception::Noisy) {
                AddNoise(destination, run);
            }
        }
        timebase_.Advance(run);
        destination += run;
        count -= run;
    }
}

void SignalSynthesizer::Skip(uint64_t count) {
    timebase_.Advance(count);
    noisePosition_ = static_cast<uint32_t>((noisePosition_ + count) % kNoisePeriod);
}

void SignalSynthesizer::CopyNoise(uint8_t* destination, uint32_t count) {
    std::memcpy(destination, &snow_[noisePosition_], count);
    noisePosition_ = (noisePosition_ + count) % kNoisePeriod;
}

void SignalSynthesizer::AddNoise(uint8_t* destination, uint32_t count) {
    const int8_t* grain = &grain_[noisePosition_];
    for (uint32_t i = 0; i < count; ++i) {
        int value = destination[i] + grain[i];
        destination[i] = static_cast<uint8_t>(value < 0 ? 0 : value);
    }
    noisePosition_ = (noisePosition_ + count) % kNoisePeriod;
}
