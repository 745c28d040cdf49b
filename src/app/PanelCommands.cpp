#include "app/PanelCommands.h"

#include <QCheckBox>
#include <QPointer>
#include <cstdio>

#include "app/MainPanel.h"
#include "app/ModalRunner.h"
#include "app/WindowPlacement.h"
#include "app/dialogs/ChannelsDialog.h"
#include "app/dialogs/RecordingTimerDialog.h"
#include "app/resources/DialogTemplate.h"
#include "controls/FlatButton.h"
#include "controls/QuorvRoundSliderCtrl.h"
#include "controls/UpDownCtrl.h"
#include "display/RecordingSchedule.h"
#include "display/StatusOverlay.h"
#include "engine/CaptureEngine.h"
#include "hardware/CaptureCard.h"
#include "platform/Clock.h"
#include "platform/FileChooser.h"
#include "platform/LockPumping.h"
#include "platform/MessagePump.h"
#include "platform/PowerService.h"
#include "platform/Settings.h"
#include "platform/SingleLock.h"

namespace {

// Scroll codes of the knob that select a channel: page left, page right,
// thumb track and end of scroll.
bool SelectsChannel(int code) {
    return code == 2 || code == 3 || code == 5 || code == 8;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

PanelCommands::PanelCommands(MainPanel& panel) : QObject(&panel), panel_(panel) {
    Connect();
}

void PanelCommands::Connect() {
    auto spin = [this](int id, void (PanelCommands::*handler)(int)) {
        auto* control = static_cast<UpDownCtrl*>(panel_.Control(id));
        connect(control, &UpDownCtrl::DeltaPos, this, handler);
    };
    spin(ControlIds::kHAdjustSpin, &PanelCommands::OnHAdjust);
    spin(ControlIds::kVAdjustSpin, &PanelCommands::OnVAdjust);
    spin(ControlIds::kVStepSpin, &PanelCommands::OnVStep);
    auto button = [this](int id, void (PanelCommands::*handler)()) {
        auto* control = static_cast<QAbstractButton*>(panel_.Control(id));
        connect(control, &QAbstractButton::clicked, this, handler);
    };
    button(ControlIds::kNew, &PanelCommands::OnNew);
    button(ControlIds::kEject, &PanelCommands::OnEject);
    button(ControlIds::kRecord, &PanelCommands::OnRecord);
    button(ControlIds::kClose, &PanelCommands::OnClose);
    button(ControlIds::kChannels, &PanelCommands::OnChannels);
    button(ControlIds::kPowerOff, &PanelCommands::OnPowerOffBox);
    button(ControlIds::kTimer, &PanelCommands::OnTimerBox);
    // Posted, as the knob's scroll messages were: the handler runs after the
    // knob has finished its own event.
    connect(
        panel_.Knob(), &QuorvRoundSliderCtrl::Scrolled, this,
        [this](int code, int) { OnKnobScroll(code); }, Qt::QueuedConnection);
}

void PanelCommands::TouchOverlay() {
    panel_.Engine()->GetOverlay()->Show(1);
}

void PanelCommands::OnHAdjust(int delta) {
    TouchOverlay();
    Settings::WriteInt(kHAdjustSetting, panel_.Engine()->StepHAdjust(-delta));
}

void PanelCommands::OnVAdjust(int delta) {
    TouchOverlay();
    Settings::WriteInt(kVAdjustSetting, panel_.Engine()->StepVAdjust(delta));
}

// The line count differs by the delta for 10 ms and then returns, which
// nudges the picture vertically without changing the stored adjustment.
void PanelCommands::OnVStep(int delta) {
    TouchOverlay();
    CaptureEngine* engine = panel_.Engine();
    engine->StepVAdjust(delta);
    CurrentClock().SleepMs(10);
    Settings::WriteInt(kVAdjustSetting, engine->StepVAdjust(-delta));
}

void PanelCommands::OnNew() {
    const std::string folder = Settings::ReadString(kAviPathSetting, "");
    const std::optional<std::string> path = panel_.Services().fileChooser->ChooseAviFile(folder);
    if (!path) {
        return;
    }
    PumpMessages();
    Settings::WriteString(kAviPathSetting, FolderOf(*path));
    CaptureEngine* engine = panel_.Engine();
    {
        // The frame thread can't paint or write a frame between reading the
        // format and opening the file.
        SingleLock lock(engine->EngineLock());
        LockPumping(lock);
        if (!engine->Open(*path, engine->GetFrameRecord()->Data()) &&
            !engine->OpenProblem().empty()) {
            std::fprintf(stderr, "quorvtv: can't record into '%s': %s\n", path->c_str(),
                         engine->OpenProblem().c_str());
        }
    }
    panel_.RecordButton()->setText(QStringLiteral("Start Recording"));
}

void PanelCommands::OnEject() {
    panel_.Engine()->Close();
}

void PanelCommands::OnRecord() {
    CaptureEngine* engine = panel_.Engine();
    engine->SetRecording(!engine->IsRecording());
    if (!engine->IsRecording()) {
        engine->GetSchedule()->SetArmed(false);
        panel_.TimerBox()->setChecked(false);
    }
}

void PanelCommands::OnClose() {
    panel_.CloseAndStore();
}

void PanelCommands::OnChannels() {
    CaptureEngine* engine = panel_.Engine();
    ChannelsDialog dialog(engine, panel_.Services().channelFile, *panel_.Services().modal, &panel_);
    if (panel_.Services().modal->Run(dialog) != QDialog::Accepted || engine == nullptr) {
        return;
    }
    engine->Load();
    QuorvRoundSliderCtrl* knob = panel_.Knob();
    knob->SetRange(0, engine->GetCount() - 1);
    const int frequency_hz = engine->GetCard()->GetFrequency();
    knob->SetPos(engine->FindChannel(static_cast<uint32_t>(frequency_hz)));
    knob->update();
}

// The engine lock is taken before the knob is read: a handler that had to
// wait for it tunes to the position current when it got the lock, so a fast
// drag never leaves the tuner on an older channel than the knob shows.
void PanelCommands::OnKnobScroll(int code) {
    if (!SelectsChannel(code)) {
        return;
    }
    TouchOverlay();
    CaptureEngine* engine = panel_.Engine();
    SingleLock lock(engine->EngineLock());
    LockPumping(lock);
    engine->TuneToChannel(panel_.Knob()->GetPos());
    Settings::WriteInt(kChannelSetting, panel_.Knob()->GetPos());
}

void PanelCommands::OnPowerOffBox() {
    TouchOverlay();
    panel_.Engine()->SetPowerOffAfter(panel_.PowerOffBox()->isChecked());
}

void PanelCommands::OnTimerBox() {
    TouchOverlay();
    RecordingSchedule* schedule = panel_.Engine()->GetSchedule();
    if (panel_.TimerBox()->isChecked()) {
        RecordingTimerDialog dialog(nullptr);
        dialog.SetStart(CurrentClock().CalendarSeconds());
        dialog.SetDurationMinutes(static_cast<uint32_t>(schedule->GetDuration() / 60));
        if (panel_.Services().modal->Run(dialog) == QDialog::Accepted) {
            schedule->SetStart(dialog.Start());
            schedule->SetDurationMinutes(static_cast<int>(dialog.DurationMinutes()));
            schedule->SetArmed(true);
            return;
        }
        panel_.TimerBox()->setChecked(false);
    }
    schedule->SetArmed(false);
}

void PanelCommands::OnPowerOffMessage() {
    CaptureEngine* engine = panel_.Engine();
    if (engine != nullptr && engine->GetPowerOffAfter()) {
        panel_.StopFrameThread();
        StoreWindowPlacement(&panel_);
        // The answer may come after the panel has gone.
        panel_.Services().power->RequestPowerOff(
            [self = QPointer<PanelCommands>(this)](const std::string& refusal) {
                if (!refusal.empty()) {
                    std::fprintf(stderr, "quorvtv: the system refused to power off: %s\n",
                                 refusal.c_str());
                    if (self) {
                        self->PowerOffRefused();
                    }
                }
            });
        return;
    }
    DisarmTimer();
}

void PanelCommands::DisarmTimer() {
    panel_.TimerBox()->setChecked(false);
    if (CaptureEngine* engine = panel_.Engine()) {
        engine->GetSchedule()->SetArmed(false);
    }
}

// The system refused to power off: the picture goes on and the power-off flag
// follows the check box again.
void PanelCommands::PowerOffRefused() {
    panel_.StartFrameThread();
    panel_.Engine()->SetPowerOffAfter(panel_.PowerOffBox()->isChecked());
}
