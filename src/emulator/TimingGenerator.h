#pragma once

#include <cstdint>

// The chip's vertical timing, counted in sample clocks of 2,268 per line. A
// frame of N = VTOTAL + 1 lines is an even field of ceil(N / 2) lines and an
// odd field of the rest (at least one line). Both ends are compared with the
// line total at every line boundary, so a total changed in the middle of a
// field moves that field's end by whole lines; a total already passed ends
// the field at the next line boundary.
class TimingGenerator {
public:
    static constexpr uint32_t kSamplesPerLine = 2268;

    enum class Field { Even, Odd };

    // Starts a fresh frame with its even field.
    void Restart();

    // Sample clocks until the current field ends under `totalLines` (0 when
    // it ends at once).
    uint64_t SamplesToFieldEnd(uint32_t totalLines) const;

    // Advances by `samples` (at most SamplesToFieldEnd()); true when that
    // ended the field and the next one began.
    bool Advance(uint64_t samples, uint32_t totalLines);

    Field CurrentField() const { return field_; }

    // Sample clocks since the current field began, and since the frame began.
    uint64_t FieldPosition() const { return position_ - fieldStart_; }
    uint64_t FramePosition() const { return position_; }

    // Where the odd field begins in a frame of `totalLines`, in sample clocks.
    static uint64_t OddFieldStart(uint32_t totalLines) {
        return uint64_t{EvenFieldLines(totalLines)} * kSamplesPerLine;
    }

private:
    static uint32_t EvenFieldLines(uint32_t totalLines) { return (totalLines + 1) / 2; }
    uint64_t FieldEnd(uint32_t totalLines) const;

    Field field_ = Field::Even;
    uint64_t position_ = 0;    // within the frame
    uint64_t fieldStart_ = 0;  // within the frame
};
