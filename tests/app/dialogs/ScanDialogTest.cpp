#include "app/dialogs/ScanDialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include "controls/ScanDisplay.h"
#include "emulator/ChipRegisters.h"
#include "support/ChannelDialogsRig.h"

namespace {

struct ButtonStates {
    bool startEnabled;
    bool cancelEnabled;
    bool cancelVisible;
    QString startText;
};

ButtonStates StatesOf(const ScanDialog& dialog) {
    return {dialog.StartButton()->isEnabled(), dialog.CancelButton()->isEnabled(),
            dialog.CancelButton()->isVisible(), dialog.StartButton()->text()};
}

std::vector<uint32_t> StationSteps(EmulatedCard& card) {
    std::vector<uint32_t> steps;
    for (size_t i = 0; i < card.StationCount(); ++i) {
        steps.push_back(static_cast<uint32_t>(card.StationCarrier_hz(i) / 1'000'000 * 1'000'000));
    }
    return steps;
}

class ScanDialogTest : public ::testing::Test {
protected:
    ChannelDialogsRig rig;
    ScanDialog dialog{rig.engine.get(), nullptr};
};

// The steps dispatch events: what is posted before Start arrives during the
// sweep, which lets the test look at the dialog and try to close it then.
TEST_F(ScanDialogTest, SweepsTheBandOnceAndIgnoresEscapeAndCloseMeanwhile) {
    dialog.show();
    const ButtonStates idle = StatesOf(dialog);
    ButtonStates sweeping{};
    uint32_t testControlWhileSweeping = 0;
    QMetaObject::invokeMethod(
        &dialog,
        [&] {
            sweeping = StatesOf(dialog);
            testControlWhileSweeping = rig.emulated.Chip(0).read32(ChipRegisters::kTest);
        },
        Qt::QueuedConnection);
    QCoreApplication::postEvent(&dialog,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(&dialog, new QCloseEvent);
    const uint32_t start_ms = rig.clock.TickCount();

    dialog.StartButton()->click();

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.GetState(), ScanDialog::State::Done);
    EXPECT_EQ(dialog.Display()->foundFrequencies, StationSteps(rig.emulated));
    EXPECT_EQ(dialog.Display()->CurrentFrequency(), 879'000'000u);
    // 839 steps of at least 110 ms, 250 ms more at each of the five stations
    EXPECT_GE(rig.clock.TickCount() - start_ms, 839u * 110 + 5 * 250);
    EXPECT_EQ(testControlWhileSweeping, 1u);
    EXPECT_EQ(rig.emulated.Chip(0).read32(ChipRegisters::kTest), 239u);

    const ButtonStates done = StatesOf(dialog);
    EXPECT_TRUE(idle.startEnabled && idle.cancelEnabled && idle.cancelVisible);
    EXPECT_EQ(idle.startText, "Start");
    EXPECT_FALSE(sweeping.startEnabled || sweeping.cancelEnabled || sweeping.cancelVisible);
    EXPECT_TRUE(done.startEnabled);
    EXPECT_FALSE(done.cancelVisible);
    EXPECT_EQ(done.startText, "Close");

    dialog.StartButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ScanDialogTest, KnownStationsAndTheirNeighboursAreNotFoundAgain) {
    std::vector<uint32_t> known = StationSteps(rig.emulated);
    known[1] += 1'000'000;  // the step above the station
    dialog.Display()->foundFrequencies = known;
    dialog.StartButton()->click();
    EXPECT_EQ(dialog.Display()->foundFrequencies, known);
}

TEST_F(ScanDialogTest, CancelBeforeTheSweepRejects) {
    dialog.show();
    dialog.CancelButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Display()->CurrentFrequency(), 0u);
}

}  // namespace
