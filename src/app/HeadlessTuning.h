#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CaptureEngine;

// What a command without a window tunes before it captures: a stored channel
// by its index, a frequency, or, with neither, the stored "Channel" setting
// clamped into the stored channels, as the panel's knob does at start-up
// (nothing at all when no channel is stored).
class HeadlessTuning {
public:
    HeadlessTuning() = default;
    HeadlessTuning(std::optional<int> channelIndex, std::optional<int32_t> frequency_hz);

    // Tunes the engine's card. On success `report` says what was tuned (empty
    // when nothing was); false, with the reason in `report`, when the index
    // names no stored channel.
    bool Apply(CaptureEngine& engine, std::string& report) const;

private:
    std::optional<int> channelIndex_;
    std::optional<int32_t> frequency_hz_;
};
