#pragma once

#include <QLineEdit>
#include <QTime>
#include <QTimeEdit>
#include <optional>

#include "app/ModalRunner.h"
#include "app/dialogs/RecordingTimerDialog.h"

// Stands in for the person at the Recording Timer dialog: enters `answer`'s
// time of day and duration text and presses OK, or presses Cancel when there
// is no answer. Remembers what the dialog showed when it opened.
class PanelTimerDialogRunner : public ModalRunner {
public:
    struct Answer {
        QTime start;
        QString durationMinutes;
    };

    int Run(QDialog& dialog) override {
        auto& timer = dynamic_cast<RecordingTimerDialog&>(dialog);
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
    int runs = 0;
    QTime shownTime;
    QString shownDuration;
};
