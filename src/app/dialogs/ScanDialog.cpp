#include "app/dialogs/ScanDialog.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/resources/DialogTemplate.h"
#include "controls/ScanDisplay.h"
#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"

ScanDialog::ScanDialog(CaptureEngine* engine, QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = FindDialogTemplate(DialogIds::kScan);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowTitle(QString::fromLatin1(dialog.title));
    DialogBuilder builder;
    builder.Override(ControlIds::kScanDisplay, [this](const ControlTemplate&, QWidget* owner) {
        display_ = new ScanDisplay(owner);
        return display_;
    });
    builder.Build(dialog, this);
    setFixedSize(DialogBuilder::ToPixels(dialog.width, dialog.height));
    if (engine != nullptr) {
        display_->card = engine->GetCard();
    }
    start_ = static_cast<QAbstractButton*>(ChildById(this, ControlIds::kOk));
    cancel_ = static_cast<QAbstractButton*>(ChildById(this, ControlIds::kCancel));
    connect(start_, &QAbstractButton::clicked, this, &ScanDialog::OnStart);
    connect(cancel_, &QAbstractButton::clicked, this, &ScanDialog::reject);
    // Escape can't end a sweep, but the program's end closes the dialog
    // under it (done()); the sweep stops there.
    connect(this, &QDialog::finished, this,
            [this] { closedUnderSweep_ = state_ == State::Sweeping; });
}

void ScanDialog::OnStart() {
    switch (state_) {
        case State::Idle:
            Sweep();
            break;
        case State::Sweeping:
            break;
        case State::Done:
            accept();
            break;
    }
}

void ScanDialog::Sweep() {
    state_ = State::Sweeping;
    start_->setEnabled(false);
    cancel_->setEnabled(false);
    cancel_->hide();
    CaptureCard* card = display_->card;
    if (card != nullptr) {
        card->SetTestControl(kSweepTestControl);
    }
    for (uint32_t frequency_hz = ScanDisplay::kBandStart_hz;
         frequency_hz < ScanDisplay::kBandEnd_hz && !closedUnderSweep_;
         frequency_hz += ScanDisplay::kStep_hz) {
        display_->ScanStep(frequency_hz);
        CurrentClock().SleepMs(kPauseAfterProbe_ms);
    }
    if (card != nullptr) {
        card->SetTestControl(kNormalTestControl);
    }
    state_ = State::Done;
    start_->setText(QStringLiteral("Close"));
    start_->setEnabled(true);
}

// Cancel is disabled while sweeping; Escape and the window's close, which
// the steps would otherwise dispatch, must not end the dialog under the
// running sweep either.
void ScanDialog::reject() {
    if (state_ != State::Sweeping) {
        QDialog::reject();
    }
}

void ScanDialog::closeEvent(QCloseEvent* event) {
    if (state_ == State::Sweeping) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
