#include "app/MainPanel.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <utility>

#include "app/CommandRules.h"
#include "app/ControlId.h"
#include "app/DialogBuilder.h"
#include "app/PanelClient.h"
#include "app/PanelCommands.h"
#include "app/QuorvButtonManager.h"
#include "app/WindowPlacement.h"
#include "app/resources/DialogTemplate.h"
#include "controls/FlatButton.h"
#include "controls/QuorvRoundSliderCtrl.h"
#include "display/RecordingSchedule.h"
#include "display/StatusOverlay.h"
#include "engine/CaptureEngine.h"
#include "engine/FrameThread.h"
#include "hardware/CaptureCard.h"
#include "platform/RegisteredMessages.h"
#include "platform/Settings.h"

namespace {
constexpr int kAboveNormalPriority = 1;
constexpr int kTickPeriod_ms = 1000;
}  // namespace

MainPanel::MainPanel(const PanelServices& services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      services_(services),
      surface_([this] { client_->update(kVideoRect); }, kVideoRect.topLeft()) {
    icon_ = QIcon(QStringLiteral(":/quorvtv/quorvtv.png"));
    client_ = new PanelClient(this);
    client_->setGeometry(kFrameSize, kFrameSize, kClientWidth, kClientHeight);
    DialogBuilder().Build(FindDialogTemplate(DialogIds::kMainPanel), client_);
    BindControls();
    CreateHardware();
    commands_ = std::make_unique<PanelCommands>(*this);
    InitDialog();
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &MainPanel::UpdateControls);
}

// The handlers go first: a refused power-off answered, or a power-off message
// dispatched, while the stop below waits must not start a new frame thread
// under the engine.
MainPanel::~MainPanel() {
    commands_.reset();
    StopFrameThread();
    engine_.reset();
    card_.reset();
}

QWidget* MainPanel::Client() const {
    return client_;
}

QWidget* MainPanel::Control(int id) const {
    return ChildById(client_, id);
}

void MainPanel::BindControls() {
    channels_ = static_cast<FlatButton*>(Control(ControlIds::kChannels));
    timerBox_ = static_cast<QCheckBox*>(Control(ControlIds::kTimer));
    powerOffBox_ = static_cast<QCheckBox*>(Control(ControlIds::kPowerOff));
    knob_ = static_cast<QuorvRoundSliderCtrl*>(Control(ControlIds::kChannelKnob));
    record_ = static_cast<FlatButton*>(Control(ControlIds::kRecord));
    newFile_ = static_cast<FlatButton*>(Control(ControlIds::kNew));
    eject_ = static_cast<FlatButton*>(Control(ControlIds::kEject));
    close_ = static_cast<FlatButton*>(Control(ControlIds::kClose));
}

// The card is looked for once; without one the panel runs without hardware.
void MainPanel::CreateHardware() {
    if (services_.ports == nullptr || services_.driver == nullptr) {
        return;
    }
    card_ = std::make_unique<CaptureCard>(*services_.ports, *services_.driver);
    if (!card_->IsPresent()) {
        card_.reset();
        return;
    }
    card_->SetBoardLines(3);
    card_->SelectInput(2);
    const CaptureEngine::Services engineServices{
        services_.channelFile, services_.compressionDialog, services_.optionsFile,
        [this] { PostRegisteredMessage(this, RegisteredMessage(kPowerOffMessageName)); }};
    engine_ = std::make_unique<CaptureEngine>(card_.get(), &surface_, kVideoRect.left(),
                                              kVideoRect.top(), engineServices);
    engine_->SetHAdjust(Settings::ReadInt(kHAdjustSetting, engine_->GetHAdjust()));
    engine_->SetVAdjust(Settings::ReadInt(kVAdjustSetting, engine_->GetVAdjust()));
}

void MainPanel::InitDialog() {
    SetUpKnob();
    setWindowTitle(QStringLiteral("QuorvTV"));
    resize(kClientWidth + 2 * kFrameSize, kClientHeight + 2 * kFrameSize);
    PlaceWindow();
    FitClientToWindow();
    ArrangeControls();
    setWindowIcon(icon_);
    connect(&tick_, &QTimer::timeout, this, &MainPanel::OnTimer);
    tick_.start(kTickPeriod_ms);
    if (card_ && engine_) {
        StartFrameThread();
    }
    UpdateControls();
}

void MainPanel::SetUpKnob() {
    knob_->SetTextFormat("%ld");
    knob_->SetDialStyle(1);
    knob_->SetInverted(0);
    knob_->SetFontName("Terminal");
    knob_->SetFontSize(12);
    knob_->SetKnobRadius(4);
    knob_->RecalcGeometry();
    if (engine_ && engine_->GetCount() > 0) {
        knob_->SetRange(0, engine_->GetCount() - 1);
        knob_->SetPos(Settings::ReadInt(kChannelSetting, 0));
        engine_->TuneToChannel(knob_->GetPos());
    }
}

void MainPanel::PlaceWindow() {
    if (RestoreWindowPlacement(this)) {
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void MainPanel::ArrangeControls() {
    using namespace ControlIds;
    constexpr int fy = kDialogFrameHeight_px;
    struct Group {
        std::vector<int> ids;
        int orientation, horizontalRule, verticalRule, hGap, vGap;
        QMargins margins;  // left, top, right, bottom
    };
    const Group groups[] = {
        {{kHAdjustSpin, kHAdjustLabel, kVAdjustSpin, kVAdjustLabel, kVStepSpin, kVStepLabel},
         0, 0, 2, 5, 5, QMargins(5, 293, 5, 2 * fy)},
        {{kNew, kEject, kRecord, kChannelKnob, kChannels}, 1, 2, 0, 5, 2, QMargins(360, 5, 0, 5)},
        {{kTimer, kPowerOff, kClose}, 1, 2, 1, 5, 5, QMargins(360, 5, 0, 2 * fy + 12)},
    };
    for (const Group& group : groups) {
        QuorvButtonManager manager;
        manager.SetParentWindow(client_);
        for (int id : group.ids) {
            manager.AddControl(Control(id));
        }
        manager.horizontalGap = group.hGap;
        manager.verticalGap = group.vGap;
        manager.margins = group.margins;
        manager.Arrange(group.orientation, group.horizontalRule, group.verticalRule);
    }
}

// The client area fills the window inside the self-drawn frame, so a restored
// size is the size the controls are arranged for.
void MainPanel::FitClientToWindow() {
    client_->setGeometry(rect().adjusted(kFrameSize, kFrameSize, -kFrameSize, -kFrameSize));
}

void MainPanel::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitClientToWindow();
}

void MainPanel::UpdateControls() {
    if (updatingControls_) {
        return;
    }
    updatingControls_ = true;
    PanelState state;
    state.card = card_ && engine_;
    if (state.card) {
        state.fileOpen = engine_->IsOpen();
        state.writing = engine_->IsRecording();
        state.aviServices = engine_->IsAvailable();
        state.channels = engine_->GetCount();
    }
    const ControlStates c = ComputeControlStates(state);
    for (int id : {ControlIds::kHAdjustSpin, ControlIds::kVAdjustSpin, ControlIds::kVStepSpin}) {
        Control(id)->setEnabled(c.spins);
    }
    record_->setEnabled(c.record);
    powerOffBox_->setEnabled(c.powerOffAndTimer);
    timerBox_->setEnabled(c.powerOffAndTimer);
    knob_->setEnabled(c.knob);
    channels_->setEnabled(c.channels);
    eject_->setEnabled(c.eject);
    newFile_->setEnabled(c.newFile);
    if (state.card && record_->text() != QLatin1String(c.recordCaption)) {
        record_->setText(QLatin1String(c.recordCaption));
    }
    updatingControls_ = false;
}

void MainPanel::OnTimer() {
    QMetaObject::invokeMethod(this, &MainPanel::UpdateControls, Qt::QueuedConnection);
    if (!engine_) {
        return;
    }
    RecordingSchedule* schedule = engine_->GetSchedule();
    if (engine_->IsOpen() && schedule->IsArmed()) {
        if (engine_->IsRecording()) {
            if (schedule->HasEnded()) {
                engine_->Close();
                engine_->RequestPowerOff();
            }
        } else if (schedule->IsInWindow()) {
            engine_->SetRecording(1);
        }
    }
    const QRect video(client_->mapToGlobal(kVideoRect.topLeft()), kVideoRect.size());
    if (video.contains(QCursor::pos())) {
        engine_->GetOverlay()->Show(1);
    }
}

bool MainPanel::IsFrameThreadRunning() const {
    return IsThreadRunning(frameThread_);
}

// The pointer is cleared before the stop: handlers dispatched while the stop
// waits must not stop or delete the same thread again.
void MainPanel::StopFrameThread() {
    if (FrameThread* thread = std::exchange(frameThread_, nullptr)) {
        StopThread(thread);
    }
}

// Two refused power-off requests each restart the picture; a second thread
// would run on unstopped and outlive the engine.
void MainPanel::StartFrameThread() {
    if (IsFrameThreadRunning()) {
        return;
    }
    auto* thread = new FrameThread(engine_.get(), &registry_);
    frameThread_ = StartThread(thread, kAboveNormalPriority) ? thread : nullptr;
}

void MainPanel::CloseAndStore() {
    StopFrameThread();
    StoreWindowPlacement(this);
    accept();
}

// Escape and the window manager's close: the frame thread stops before
// anything is destroyed; no position is stored.
void MainPanel::reject() {
    StopFrameThread();
    QDialog::reject();
}

void MainPanel::closeEvent(QCloseEvent* event) {
    StopFrameThread();
    QDialog::closeEvent(event);
}

void MainPanel::customEvent(QEvent* event) {
    if (event->type() == RegisteredMessage(kPowerOffMessageName)) {
        if (commands_) {
            commands_->OnPowerOffMessage();
        }
        return;
    }
    QDialog::customEvent(event);
}

void MainPanel::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(outer.adjusted(1, 1, -1, -1));
}
