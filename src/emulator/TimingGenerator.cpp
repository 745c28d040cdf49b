#include "emulator/TimingGenerator.h"

#include <algorithm>

void TimingGenerator::Restart() {
    field_ = Field::Even;
    position_ = 0;
    fieldStart_ = 0;
}

// A field ends on a line boundary: the one its line count gives, or, when the
// total has already been passed, the next one.
uint64_t TimingGenerator::FieldEnd(uint32_t totalLines) const {
    uint64_t lines = EvenFieldLines(totalLines);
    if (field_ == Field::Odd) {
        lines = std::max<uint64_t>(totalLines, fieldStart_ / kSamplesPerLine + 1);
    }
    uint64_t nextBoundary = (position_ + kSamplesPerLine - 1) / kSamplesPerLine * kSamplesPerLine;
    return std::max(lines * kSamplesPerLine, nextBoundary);
}

uint64_t TimingGenerator::SamplesToFieldEnd(uint32_t totalLines) const {
    return FieldEnd(totalLines) - position_;
}

bool TimingGenerator::Advance(uint64_t samples, uint32_t totalLines) {
    uint64_t end = FieldEnd(totalLines);
    position_ += samples;
    if (position_ < end) {
        return false;
    }
    if (field_ == Field::Even) {
        field_ = Field::Odd;
        fieldStart_ = position_;
    } else {
        Restart();
    }
    return true;
}
