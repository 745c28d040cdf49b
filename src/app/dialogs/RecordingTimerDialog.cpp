#include "app/dialogs/RecordingTimerDialog.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QLineEdit>
#include <QTimeEdit>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"
#include "controls/UpDownCtrl.h"
#include "platform/WarningBox.h"

RecordingTimerDialog::RecordingTimerDialog(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = FindDialogTemplate(DialogIds::kRecordingTimer);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    DialogBuilder().Build(dialog, this);
    setFixedSize(DialogBuilder::ToPixels(dialog.width, dialog.height));
    timePicker_ = static_cast<QTimeEdit*>(ChildById(this, ControlIds::kTimerStart));
    durationEdit_ = static_cast<QLineEdit*>(ChildById(this, ControlIds::kTimerDuration));
    auto* spin = static_cast<UpDownCtrl*>(ChildById(this, ControlIds::kTimerDurationSpin));
    spin->SetBuddy(durationEdit_, 0, kMaxDurationMinutes);
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

// Durations above kMaxDurationMinutes are refused like text that isn't a
// number: their end time could not be computed in 31-bit seconds.
bool RecordingTimerDialog::ExchangeData() {
    bool isNumber = false;
    const qulonglong minutes = durationEdit_->text().trimmed().toULongLong(&isNumber);
    if (!isNumber || minutes > kMaxDurationMinutes) {
        WarnUser("Please enter a positive integer.");
        durationEdit_->setFocus();
        return false;
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
