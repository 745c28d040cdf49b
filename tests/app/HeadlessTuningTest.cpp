#include "app/HeadlessTuning.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/ChannelStore.h"
#include "platform/Settings.h"
#include "support/EngineRig.h"

namespace {

struct TuningCase {
    const char* name;
    int storedChannels;
    std::optional<int> channelSetting;    // "Channel"; nullopt: absent
    std::optional<int> channelIndex;      // --channel
    std::optional<int32_t> frequency_hz;  // --frequency
    bool succeeds;
    int tunedIndex;  // the stored channel the tuner ends on; -1: see tuned_hz
    int32_t tuned_hz;
};

void WriteChannels(EngineRig& rig, int count) {
    ChannelStore store(rig.ChannelFile());
    for (int i = 0; i < count; ++i) {
        store.SetChannel(static_cast<uint32_t>(rig.emulated.StationCarrier_hz(i)),
                         rig.emulated.StationName(i).c_str());
    }
    store.Save();
}

}  // namespace

// The commands without a window tune what the panel would, or what the
// command line names; a bad index fails before anything is captured.
TEST(HeadlessTuningTest, TunesTheStoredChannelOrWhatTheCommandLineNames) {
    const TuningCase cases[] = {
        {"no channels, nothing stored", 0, std::nullopt, std::nullopt, std::nullopt, true, -1, 0},
        {"no channels, a stored index", 0, 2, std::nullopt, std::nullopt, true, -1, 0},
        {"the setting absent", 3, std::nullopt, std::nullopt, std::nullopt, true, 0, 0},
        {"the stored index", 3, 2, std::nullopt, std::nullopt, true, 2, 0},
        {"an index past the list", 3, 7, std::nullopt, std::nullopt, true, 2, 0},
        {"a negative index", 3, -4, std::nullopt, std::nullopt, true, 0, 0},
        {"--channel", 3, 2, 1, std::nullopt, true, 1, 0},
        {"--channel past the list", 3, 0, 3, std::nullopt, false, -1, 0},
        {"--channel without channels", 0, std::nullopt, 0, std::nullopt, false, -1, 0},
        {"--frequency", 3, 1, std::nullopt, 471'250'000, true, -1, 471'250'000},
    };
    for (const TuningCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        WriteChannels(rig, c.storedChannels);
        Settings::Remove("Channel");
        if (c.channelSetting) {
            Settings::WriteInt(kChannelSetting, *c.channelSetting);
        }
        CaptureEngine& engine = rig.Start(EngineRig::Tuning::None);
        std::string report;
        EXPECT_EQ(HeadlessTuning(c.channelIndex, c.frequency_hz).Apply(engine, report), c.succeeds);
        const int32_t expected_hz =
            c.tunedIndex >= 0 ? engine.GetChannelFrequency(c.tunedIndex) * 1'000'000 : c.tuned_hz;
        EXPECT_EQ(rig.card->GetFrequency(), expected_hz);
        if (c.tunedIndex >= 0) {
            EXPECT_EQ(report, "tuned channel " + std::to_string(c.tunedIndex) + " (" +
                                  engine.GetChannelName(c.tunedIndex) + ", " +
                                  std::to_string(engine.GetChannelFrequency(c.tunedIndex)) +
                                  " MHz)");
        }
    }
    Settings::Remove("Channel");
}

TEST(HeadlessTuningTest, ReportsWhatItTunedOrWhyItCannot) {
    EngineRig rig;
    WriteChannels(rig, 2);
    CaptureEngine& engine = rig.Start(EngineRig::Tuning::None);
    std::string report;
    EXPECT_TRUE(HeadlessTuning(std::nullopt, 471'250'000).Apply(engine, report));
    EXPECT_EQ(report, "tuned 471.25 MHz");
    EXPECT_FALSE(HeadlessTuning(5, std::nullopt).Apply(engine, report));
    EXPECT_EQ(report, "there is no channel 5: 2 channels are stored");
}
