#pragma once

#include <cstdint>
#include <vector>

class EmulatedChip;

// Emulated time for the chips of one emulated card. Stepped: time moves only
// through Advance. Following: before every register access (and whenever the
// real-time thread asks) the chips catch up with CurrentClock(), so a program
// or a test with a stepped clock sees time pass exactly as its clock says.
//
// All calls are made with the card's model lock held.
class EmulatedClock {
public:
    enum class Mode { Stepped, FollowCurrentClock };

    void AddChip(EmulatedChip* chip) { chips_.push_back(chip); }

    void Advance(uint64_t duration_us);

    // Switches mode; following starts from the current clock reading.
    void SetMode(Mode mode);
    Mode CurrentMode() const { return mode_; }

    // In following mode, advances by the clock time passed since the last call.
    void CatchUp();

    uint64_t Now_us() const { return now_us_; }

private:
    // Longest step taken at once, so a long catch-up can't produce a huge chunk.
    static constexpr uint64_t kMaxStep_us = 10'000;

    std::vector<EmulatedChip*> chips_;
    Mode mode_ = Mode::Stepped;
    uint64_t lastClock_us_ = 0;
    uint64_t now_us_ = 0;
};
