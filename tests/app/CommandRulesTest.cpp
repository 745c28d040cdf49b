#include "app/CommandRules.h"

#include <gtest/gtest.h>

#include <string>

// The recording states as the panel drives them, and the controls each enables.
TEST(CommandRulesTest, RecordingStatesEnableTheDescribedControls) {
    struct Row {
        const char* state;
        PanelState in;
        bool record, powerOffAndTimer, knob, channels, eject, newFile;
        std::string caption;
    };
    const Row rows[] = {
        {"no card", {false, false, false, true, 5}, false, false, false, false, false, false,
         "Record"},
        {"no file", {true, false, false, true, 5}, false, false, true, true, false, true,
         "Record"},
        {"no file, no AVI services", {true, false, false, false, 5}, false, false, true, true,
         false, false, "Record"},
        {"file open", {true, true, false, true, 5}, true, true, true, true, true, false,
         "Record"},
        {"writing", {true, true, true, true, 5}, true, true, false, false, false, false, "Stop"},
        {"one channel", {true, false, false, true, 1}, false, false, false, true, false, true,
         "Record"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        const ControlStates c = ComputeControlStates(row.in);
        EXPECT_EQ(c.spins, row.in.card);
        EXPECT_EQ(c.record, row.record);
        EXPECT_EQ(c.powerOffAndTimer, row.powerOffAndTimer);
        EXPECT_EQ(c.knob, row.knob);
        EXPECT_EQ(c.channels, row.channels);
        EXPECT_EQ(c.eject, row.eject);
        EXPECT_EQ(c.newFile, row.newFile);
        EXPECT_EQ(c.recordCaption, row.caption);
    }
}
