#pragma once

#include <QLineEdit>
#include <QTime>
#include <QTimeEdit>
#include <functional>
#include <optional>

#include "app/ModalRunner.h"
#include "app/dialogs/RecordingTimerDialog.h"

// Stands in for the person at the panel's dialogs. At the Recording Timer dialog: enters `answer`'s
// time of day and duration text and presses OK, or presses Cancel when there
// is no answer. Remembers what the dialog showed when it opened.
class PanelTimerDialogRunner : public ModalRunner {
public:
    struct Answer {
        QTime start;
        QString durationMinutes;
    };

    int Run(QDialog& dialog) override {
        if (every) {
            return every(dialog);
        }
        auto* timerDialog = dynamic_cast<RecordingTimerDialog*>(&dialog);
        if (timerDialog == nullptr) {
            return other ? other(dialog) : QDialog::Rejected;
        }
        auto& timer = *timerDialog;
        ++runs;
        shownTime = timer.TimePicker()->time();
        shownDuration = timer.DurationEdit()->text();
        if (!answer) {
            timer.reject();
            return timer.result();
        }
        timer.TimePicker()->setTime(answer->start);
        timer.DurationEdit()->setText(answer->durationMinutes);
        timer.accept();
        return timer.result();
    }

    std::optional<Answer> answer;
    // Answers any other dialog (Channels, Manual, Scan); none: Cancel.
    std::function<int(QDialog&)> other;
    // Answers every dialog, the Recording Timer's too, when set.
    std::function<int(QDialog&)> every;
    int runs = 0;
    QTime shownTime;
    QString shownDuration;
};
