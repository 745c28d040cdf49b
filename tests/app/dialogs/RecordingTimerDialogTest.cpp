#include "app/dialogs/RecordingTimerDialog.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTimeEdit>

#include <gtest/gtest.h>

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

TEST(RecordingTimerDialogTest, RefusesDurationsThatAreNotAPositiveIntegerOrTooLarge) {
    for (const char* text : {"", "abc", "35791395", "99999999999"}) {
        RecordingWarningBox warnings;
        RecordingTimerDialog dialog(nullptr);
        dialog.SetStart(kMorning);
        dialog.DurationEdit()->setText(text);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << text;
        EXPECT_EQ(warnings.Messages(),
                  std::vector<std::string>{"Please enter a positive integer."})
            << text;
    }
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
