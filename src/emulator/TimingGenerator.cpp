#include "emulator/TimingGenerator.h"

void TimingGenerator::Restart(uint32_t totalLines) {
    field_ = Field::Even;
    fieldLength_ = FieldLength(totalLines);
    position_ = 0;
}

bool TimingGenerator::Advance(uint64_t samples, uint32_t totalLines) {
    position_ += samples;
    if (position_ < fieldLength_) {
        return false;
    }
    field_ = field_ == Field::Even ? Field::Odd : Field::Even;
    fieldLength_ = FieldLength(totalLines);
    position_ = 0;
    ++fieldCount_;
    return true;
}
