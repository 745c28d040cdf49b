#include "app/HeadlessTuning.h"

#include <algorithm>
#include <cstdio>

#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "platform/Settings.h"
#include "util/Windows1252.h"

namespace {

std::string Megahertz(int64_t frequency_hz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g MHz", static_cast<double>(frequency_hz) / 1e6);
    return text;
}

}  // namespace

HeadlessTuning::HeadlessTuning(std::optional<int> channelIndex, std::optional<int32_t> frequency_hz)
    : channelIndex_(channelIndex), frequency_hz_(frequency_hz) {}

bool HeadlessTuning::Apply(CaptureEngine& engine, std::string& report) const {
    if (frequency_hz_) {
        engine.GetCard()->Tune(*frequency_hz_);
        report = "tuned " + Megahertz(*frequency_hz_);
        return true;
    }
    const int count = engine.GetCount();
    if (channelIndex_ && *channelIndex_ >= count) {
        report = "there is no channel " + std::to_string(*channelIndex_) + ": " +
                 std::to_string(count) + " channels are stored";
        return false;
    }
    report.clear();
    if (count == 0) {
        return true;
    }
    const int index =
        channelIndex_.value_or(std::clamp(Settings::ReadInt(kChannelSetting, 0), 0, count - 1));
    engine.TuneToChannel(index);
    report = "tuned channel " + std::to_string(index) + " (" +
             FromWindows1252(engine.GetChannelName(index)).toStdString() + ", " +
             Megahertz(int64_t{engine.GetChannelFrequency(index)} * 1'000'000) + ")";
    return true;
}
