#pragma once

#include <cstdint>

// The chip's timing generator, counted in sample clocks: 2,268 clocks per line,
// `VTOTAL + 1` lines per frame split into two fields of equal length. A field's
// length is fixed when it starts, so a VTOTAL change takes effect at the next
// field. The field counter counts field starts modulo 256.
class TimingGenerator {
public:
    static constexpr uint32_t kSamplesPerLine = 2268;

    enum class Field { Even, Odd };

    // Starts a fresh even field of a frame of `totalLines` lines.
    void Restart(uint32_t totalLines);

    // Sample clocks left in the current field.
    uint64_t SamplesToFieldEnd() const { return fieldLength_ - position_; }

    // Advances by `samples` (at most SamplesToFieldEnd()). When the field ends,
    // the next one starts with the length given by `totalLines`; returns true then.
    bool Advance(uint64_t samples, uint32_t totalLines);

    Field CurrentField() const { return field_; }
    uint8_t FieldCount() const { return fieldCount_; }

private:
    static uint64_t FieldLength(uint32_t totalLines) {
        return uint64_t{totalLines} * kSamplesPerLine / 2;
    }

    Field field_ = Field::Even;
    uint64_t fieldLength_ = FieldLength(625);
    uint64_t position_ = 0;
    uint8_t fieldCount_ = 0;
};
