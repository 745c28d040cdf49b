#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/MainPanel.h"
#include "app/PanelServices.h"
#include "app/WindowPlacement.h"
#include "app/resources/DialogTemplate.h"
#include "emulator/EmulatedCard.h"
#include "engine/CaptureEngine.h"
#include "engine/ChannelStore.h"
#include "platform/AviCompressor.h"
#include "platform/Settings.h"
#include "support/FakeMicrosecondClock.h"
#include "support/FakePowerService.h"
#include "support/FakeRegisterWindowScope.h"
#include "support/PanelFakeDiskSpace.h"
#include "support/PanelFakeFileChooser.h"
#include "support/PanelTimerDialogRunner.h"
#include "support/RecorderFakeDialog.h"
#include "support/RecordingWarningBox.h"

// The main panel as the program builds it, on the emulated card (or on a
// machine without one), with every user-interface service replaced by a
// double: file chooser, compression dialog (uncompressed frames), power-off,
// the person at the Recording Timer dialog and the disk's free space.
//
// Time is a stepped clock the card follows: the panel's frame thread advances
// it 2 ms per pass and each busy-wait read by 1 us, so nothing waits in real
// time. Calendar time starts at local noon, so a timer window a few minutes
// off never crosses a day.
//
// Settings that the panel reads are cleared first; store what a test needs,
// then Open() builds the panel. The panel is never shown unless a test does.
class PanelRig {
public:
    enum class Hardware { Emulated, None };

    static constexpr int kAllControls[] = {
        ControlIds::kHAdjustSpin, ControlIds::kVAdjustSpin, ControlIds::kVStepSpin,
        ControlIds::kRecord,      ControlIds::kNew,         ControlIds::kEject,
        ControlIds::kChannels,    ControlIds::kClose,       ControlIds::kChannelKnob,
        ControlIds::kPowerOff,    ControlIds::kTimer};

    static int64_t LocalNoon() {
        return QDateTime(QDate(2026, 6, 1), QTime(12, 0)).toSecsSinceEpoch();
    }

    explicit PanelRig(Hardware hardware = Hardware::Emulated, int channels = 3)
        : card_(hardware == Hardware::None ? "none" : "") {
        clock_.SetCalendarSeconds(LocalNoon());
        card_.FollowCurrentClock();
        for (const char* key : {"HAdjust", "VAdjust", "Channel", "AviPath", "MainFramePos"}) {
            Settings::Remove(key);
        }
        WriteChannelFile(channels);
        placement_.workArea = [] { return QRect(0, 0, 1024, 768); };
        placement_.canPlaceWindows = [] { return true; };
        SetPlacementEnvironment(&placement_);
        chooser.answer = FilePath("take.avi");
        compression.choice = Uncompressed();
    }

    PanelRig(const PanelRig&) = delete;
    PanelRig& operator=(const PanelRig&) = delete;

    ~PanelRig() {
        panel_.reset();
        SetPlacementEnvironment(nullptr);
    }

    MainPanel& Open() {
        PanelServices services;
        services.ports = &card_.Ports();
        services.driver = &card_.Driver();
        services.fileChooser = &chooser;
        services.compressionDialog = &compression;
        services.power = powerService != nullptr ? powerService : &power;
        services.modal = &modal;
        services.channelFile = FilePath("channels");
        services.optionsFile = FilePath("options.bin");
        panel_ = std::make_unique<MainPanel>(services);
        return *panel_;
    }

    // Destroys the panel as the program does when its modal loop returns.
    void Destroy() { panel_.reset(); }

    MainPanel& Panel() { return *panel_; }
    CaptureEngine& Engine() { return *panel_->Engine(); }
    ManualClock& Clock() { return clock_; }
    EmulatedCard& Card() { return card_; }
    std::string FilePath(const char* name) const { return folder_.filePath(name).toStdString(); }

    void Click(int id) {
        static_cast<QAbstractButton*>(panel_->Control(id))->click();
        Idle();
    }

    // What the panel does whenever it idles: dispatch, then update the controls.
    void Idle() {
        QApplication::processEvents();
        panel_->UpdateControls();
    }

    std::set<int> EnabledControls() const {
        std::set<int> enabled;
        for (int id : kAllControls) {
            if (panel_->Control(id)->isEnabled()) {
                enabled.insert(id);
            }
        }
        return enabled;
    }

    // Dispatches events until `condition` holds or `limit_ms` of real time
    // have passed; true when it held. For what the frame thread does.
    static bool WaitFor(const std::function<bool()>& condition, int limit_ms = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > limit_ms) {
                return false;
            }
            QApplication::processEvents();
            QThread::msleep(1);
        }
        return true;
    }

    PanelFakeFileChooser chooser;
    RecorderFakeDialog compression;
    FakePowerService power;
    PanelTimerDialogRunner modal;
    PowerService* powerService = nullptr;  // instead of `power` when set
    PanelFakeDiskSpace disk;
    RecordingWarningBox warnings;

private:
    static AviCompressionOptions Uncompressed() {
        AviCompressionOptions options;
        options.streamType = AviFourCC("vids");
        options.handler = AviFourCC("DIB ");
        options.flags = AviCompressionOptions::kFlagValid;
        return options;
    }

    void WriteChannelFile(int channels) {
        ChannelStore store(FilePath("channels"));
        for (int i = 0; i < channels && i < static_cast<int>(card_.StationCount()); ++i) {
            store.SetChannel(static_cast<uint32_t>(card_.StationCarrier_hz(i)),
                             card_.StationName(i).c_str());
        }
        store.Save();
    }

    FakeMicrosecondClock clock_;
    FakeRegisterWindowScope registerWindowScope_;
    QTemporaryDir folder_;
    PlacementEnvironment placement_;
    EmulatedCard card_;
    std::unique_ptr<MainPanel> panel_;
};
