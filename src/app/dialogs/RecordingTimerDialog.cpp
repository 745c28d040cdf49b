#include "app/dialogs/RecordingTimerDialog.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QLineEdit>
#include <QTimeEdit>
#include <algorithm>
#include <string>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"
#include "platform/WarningBox.h"

RecordingTimerDialog::RecordingTimerDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = FindDialogTemplate(DialogIds::kRecordingTimer);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    DialogBuilder().Build(dialog, this);
    setFixedSize(DialogBuilder::ToPixels(dialog.width, dialog.height));
    timePicker_ = static_cast<QTimeEdit*>(ChildById(this, ControlIds::kTimerStart));
    durationEdit_ = static_cast<QLineEdit*>(ChildById(this, ControlIds::kTimerDuration));
    connect(static_cast<QAbstractButton*>(ChildById(this, ControlIds::kOk)),
            &QAbstractButton::clicked, this, &RecordingTimerDialog::accept);
    connect(static_cast<QAbstractButton*>(ChildById(this, ControlIds::kCancel)),
            &QAbstractButton::clicked, this, &RecordingTimerDialog::reject);
}

void RecordingTimerDialog::SetStart(int64_t calendar_s) {
    start_s_ = calendar_s;
    timePicker_->setTime(QDateTime::fromSecsSinceEpoch(calendar_s).time());
}

void RecordingTimerDialog::SetDurationMinutes(uint32_t minutes) {
    durationMinutes_ = minutes;
    durationEdit_->setText(QString::number(minutes));
}

// The edit takes digits only, so what isn't a number is empty. A number
// beyond kMaxDurationMinutes, whose end time could not be computed in 31-bit
// seconds, gets the framework's range message: it is a positive integer.
bool RecordingTimerDialog::ExchangeData() {
    const QString text = durationEdit_->text().trimmed();
    const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool fits = false;
    const qulonglong minutes = text.toULongLong(&fits);
    const auto refuse = [this](const std::string& message) {
        WarnUser("%s", message.c_str());
        durationEdit_->setFocus();
        return false;
    };
    if (!digits) {
        return refuse("Please enter a positive integer.");
    }
    if (!fits || minutes > kMaxDurationMinutes) {
        return refuse("Please enter an integer between 0 and " +
                      std::to_string(kMaxDurationMinutes) + ".");
    }
    durationMinutes_ = static_cast<uint32_t>(minutes);
    const QDate day = QDateTime::fromSecsSinceEpoch(start_s_).date();
    start_s_ = QDateTime(day, timePicker_->time()).toSecsSinceEpoch();
    return true;
}

void RecordingTimerDialog::accept() {
    if (ExchangeData()) {
        QDialog::accept();
    }
}
