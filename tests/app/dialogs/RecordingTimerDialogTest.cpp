#include "app/dialogs/RecordingTimerDialog.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTimeEdit>

#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"
#include "controls/UpDownCtrl.h"
#include "support/RecordingWarningBox.h"

namespace {
constexpr int64_t kMorning = 1'700'000'000;  // some day, at a time of day
}

TEST(RecordingTimerDialogTest, OpensWithThePresetTimeAndDuration) {
    RecordingTimerDialog dialog(nullptr);
    dialog.SetStart(kMorning);
    dialog.SetDurationMinutes(45);
    EXPECT_EQ(dialog.DurationEdit()->text(), "45");
    EXPECT_EQ(dialog.TimePicker()->time(), QDateTime::fromSecsSinceEpoch(kMorning).time());
}

// No number is no positive integer; a number too large for the schedule is
// told the range it must lie in.
TEST(RecordingTimerDialogTest, RefusesDurationsThatAreNotAPositiveIntegerOrTooLarge) {
    const std::string range = "Please enter an integer between 0 and 35791394.";
    const std::pair<const char*, std::string> cases[] = {
        {"", "Please enter a positive integer."},
        {"abc", "Please enter a positive integer."},
        {"35791395", range},
        {"99999999999", range},
        {"99999999999999999999999", range},
    };
    for (const auto& [text, message] : cases) {
        RecordingWarningBox warnings;
        RecordingTimerDialog dialog(nullptr);
        dialog.SetStart(kMorning);
        dialog.DurationEdit()->setText(text);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << text;
        EXPECT_EQ(warnings.Messages(), std::vector<std::string>{message}) << text;
    }
}

// The up-down keeps the window system's default range, 100 down to 0: up
// counts down, down counts up, and it stops at both ends. A number outside
// the range is taken for nothing: the position it last had moves instead.
// Up and Down in the edit press the arrows.
TEST(RecordingTimerDialogTest, TheSpinCountsWithinItsDefaultRange) {
    struct Case {
        const char* preset;
        std::vector<int> steps;  // +1 the up arrow, -1 the down arrow
        const char* shown;
    };
    const Case cases[] = {
        {"60", {+1}, "59"},  {"60", {-1, -1}, "62"}, {"0", {+1}, "0"},   {"100", {-1}, "100"},
        {"100", {+1}, "99"}, {"250", {+1}, "250"},   {"250", {-1}, "1"}, {"", {-1}, "1"},
    };
    for (const Case& c : cases) {
        RecordingTimerDialog dialog(nullptr);
        dialog.DurationEdit()->setText(c.preset);
        for (int step : c.steps) {
            QTest::keyClick(dialog.DurationEdit(), step > 0 ? Qt::Key_Up : Qt::Key_Down);
        }
        EXPECT_EQ(dialog.DurationEdit()->text().toStdString(), c.shown) << c.preset;

        RecordingTimerDialog clicked(nullptr);
        clicked.DurationEdit()->setText(c.preset);
        auto* spin = static_cast<UpDownCtrl*>(ChildById(&clicked, ControlIds::kTimerDurationSpin));
        for (int step : c.steps) {
            spin->Step(step);
        }
        EXPECT_EQ(clicked.DurationEdit()->text().toStdString(), c.shown) << c.preset;
    }
}

// The spin takes the right end of the edit's place and covers its border.
TEST(RecordingTimerDialogTest, TheSpinSitsOverTheEditsRightEdge) {
    RecordingTimerDialog dialog(nullptr);
    const QRect edit = dialog.DurationEdit()->geometry();
    const QRect spin = ChildById(&dialog, ControlIds::kTimerDurationSpin)->geometry();
    const QRect place = DialogBuilder::ToPixels({1025, ControlClass::Edit, "", 0, 44, 26, 52, 12});
    EXPECT_EQ(spin.right(), place.right());
    EXPECT_EQ(spin.left(), edit.right() + 1 - 2);
    EXPECT_EQ(edit.left(), place.left());
    EXPECT_EQ(spin.top(), edit.top());
    EXPECT_EQ(spin.height(), edit.height());
}

TEST(RecordingTimerDialogTest, KeepsThePresetDateAndTakesTheChosenTimeOfDay) {
    RecordingWarningBox warnings;
    RecordingTimerDialog dialog(nullptr);
    dialog.SetStart(kMorning);
    const QDateTime preset = QDateTime::fromSecsSinceEpoch(kMorning);
    dialog.TimePicker()->setTime(QTime(0, 0, 5));
    dialog.DurationEdit()->setText("35791394");
    dialog.accept();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(warnings.Messages().empty());
    EXPECT_EQ(dialog.DurationMinutes(), 35'791'394u);
    EXPECT_EQ(dialog.Start(), QDateTime(preset.date(), QTime(0, 0, 5)).toSecsSinceEpoch());
}
