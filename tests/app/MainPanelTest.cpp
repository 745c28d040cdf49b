#include "app/MainPanel.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <optional>

#include "app/ControlId.h"
#include "app/dialogs/ChannelsDialog.h"
#include "app/dialogs/ManualDialog.h"
#include "controls/ChannelListCtrl.h"
#include "controls/FlatButton.h"
#include "controls/QuorvRoundSliderCtrl.h"
#include "controls/UpDownCtrl.h"
#include "display/StatusOverlay.h"
#include "hardware/CaptureCard.h"
#include "support/PanelRig.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"

namespace {

using namespace ControlIds;

const std::set<int> kNoFile = {kHAdjustSpin, kVAdjustSpin, kVStepSpin, kNew,
                               kChannels,    kChannelKnob, kClose};
const std::set<int> kFileOpen = {kHAdjustSpin, kVAdjustSpin, kVStepSpin, kRecord, kEject,
                                 kChannels,    kChannelKnob, kPowerOff,  kTimer,  kClose};
const std::set<int> kWriting = {kHAdjustSpin, kVAdjustSpin, kVStepSpin, kRecord,
                                kPowerOff,    kTimer,       kClose};

int TunedChannel(PanelRig& rig) {
    return rig.Engine().FindChannel(static_cast<uint32_t>(rig.Panel().Card()->GetFrequency()));
}

void Spin(PanelRig& rig, int id, int delta) {
    static_cast<UpDownCtrl*>(rig.Panel().Control(id))->Step(delta);
}

}  // namespace

TEST(MainPanelTest, WithoutACardWarnsOnceAndShowsTheNoHardwareText) {
    PanelRig rig(PanelRig::Hardware::None);
    MainPanel& panel = rig.Open();
    rig.Idle();

    EXPECT_EQ(rig.warnings.Messages(), std::vector<std::string>{"Couldn't initialize Tv hardware"});
    EXPECT_EQ(panel.Engine(), nullptr);
    EXPECT_FALSE(panel.IsFrameThreadRunning());
    EXPECT_EQ(rig.EnabledControls(), std::set<int>{kClose});

    const QImage shot = panel.grab().toImage();
    const QRect video =
        MainPanel::kVideoRect.translated(MainPanel::kFrameSize, MainPanel::kFrameSize);
    int green = 0;
    int other = 0;
    for (int y = video.top(); y <= video.bottom(); ++y) {
        for (int x = video.left(); x <= video.right(); ++x) {
            // The check boxes, centred in their column, reach 3 pixels into it.
            if (panel.Client()->childAt(x - MainPanel::kFrameSize, y - MainPanel::kFrameSize)) {
                continue;
            }
            const QColor c = shot.pixelColor(x, y);
            if (c.red() != 0 || c.blue() != 0) {
                ++other;
            } else if (c.green() > 128) {
                ++green;
            }
        }
    }
    EXPECT_EQ(other, 0) << "only black and green in the video area";
    EXPECT_GT(green, 200) << "the text is drawn";
    EXPECT_EQ(shot.pixelColor(video.center().x(), video.bottom() - 5), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(video.left() - 2, video.top() - 2),
              panel.palette().color(QPalette::Window));
}

TEST(MainPanelTest, StartUpAppliesStoredAdjustmentsAndTunesTheClampedChannel) {
    struct Row {
        std::optional<int> hAdjust, vAdjust, channel;
        int vAdjustAfter, knobAfter;
    };
    const Row rows[] = {
        {std::nullopt, std::nullopt, std::nullopt, 625, 0},
        {35'437'000, 627, 1, 627, 1},
        {35'437'000, 623, 99, 623, 2},
    };
    for (const Row& row : rows) {
        PanelRig rig;
        if (row.hAdjust)
            Settings::WriteInt(kHAdjustSetting, *row.hAdjust);
        if (row.vAdjust)
            Settings::WriteInt(kVAdjustSetting, *row.vAdjust);
        if (row.channel)
            Settings::WriteInt(kChannelSetting, *row.channel);
        MainPanel& panel = rig.Open();

        const int hAdjust = rig.Engine().GetHAdjust();
        EXPECT_NEAR(hAdjust, row.hAdjust.value_or(CaptureEngine::kConfiguredPllFrequency), 20);
        EXPECT_EQ(rig.Engine().GetVAdjust(), row.vAdjustAfter);
        EXPECT_EQ(panel.Knob()->GetPos(), row.knobAfter);
        EXPECT_EQ(TunedChannel(rig), row.knobAfter);
        EXPECT_TRUE(panel.IsFrameThreadRunning());
        panel.show();
        rig.Idle();
        EXPECT_EQ(panel.Knob()->GetPos(), row.knobAfter) << "kept at the first show";
    }
}

// New into a path that can't take a recording (a folder, a file another
// recording holds) shows no compression dialog, leaves no file open and, as
// for every failed open, says why on standard error.
TEST(MainPanelTest, NewIntoAPathThatCantTakeARecordingShowsNoDialogAndSaysWhy) {
    PanelRig rig;
    rig.Open();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(rig.FilePath("folder"))));
    RecorderFakeDialog otherDialog;
    otherDialog.choice = rig.compression.choice;
    AviRecorder other(otherDialog, rig.FilePath("other.avs"), nullptr);
    const RecorderTestFrame frame;
    ASSERT_TRUE(other.Open(rig.FilePath("held.avi"), frame.Record()));
    const std::pair<std::string, const char*> cases[] = {
        {rig.FilePath("folder"), "it is a folder"},
        {rig.FilePath("held.avi"), "another QuorvTV is recording into it"},
    };
    for (const auto& [path, reason] : cases) {
        rig.chooser.answer = path;
        rig.compression.startingPoints.clear();
        testing::internal::CaptureStderr();
        rig.Click(kNew);
        const std::string errors = testing::internal::GetCapturedStderr();

        EXPECT_TRUE(rig.compression.startingPoints.empty()) << reason;
        EXPECT_FALSE(rig.Engine().IsOpen()) << reason;
        EXPECT_EQ(rig.EnabledControls(), kNoFile) << reason;
        EXPECT_NE(errors.find("can't record into '" + path + "': " + reason), std::string::npos)
            << errors;
    }
}

// Each step of the recording states, and the enable rules right after it.
TEST(MainPanelTest, ControlsFollowTheRecordingStates) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    struct Step {
        const char* name;
        std::function<void()> act;
        std::set<int> enabled;
        bool open, writing;
        const char* caption;
    };
    const Step steps[] = {
        {"start", [] {}, kNoFile, false, false, "Record"},
        {"New", [&] { rig.Click(kNew); }, kFileOpen, true, false, "Record"},
        {"Record", [&] { rig.Click(kRecord); }, kWriting, true, true, "Stop"},
        {"Record again", [&] { rig.Click(kRecord); }, kFileOpen, true, false, "Record"},
        {"Eject", [&] { rig.Click(kEject); }, kNoFile, false, false, "Record"},
        {"New, file dialog cancelled",
         [&] {
             rig.chooser.answer.reset();
             rig.Click(kNew);
         },
         kNoFile, false, false, "Record"},
        {"New, compression dialog cancelled",
         [&] {
             rig.chooser.answer = rig.FilePath("second.avi");
             rig.compression.confirm = false;
             rig.Click(kNew);
         },
         kNoFile, false, false, "Record"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(rig.EnabledControls(), step.enabled) << step.name;
        EXPECT_EQ(rig.Engine().IsOpen(), step.open) << step.name;
        EXPECT_EQ(rig.Engine().IsRecording(), step.writing) << step.name;
        EXPECT_EQ(panel.RecordButton()->text(), step.caption) << step.name;
    }
    const std::string folder = rig.FilePath("") + "/";
    EXPECT_EQ(rig.chooser.initialFolders, (std::vector<std::string>{"", folder, folder}));
    EXPECT_EQ(Settings::ReadString(kAviPathSetting, "?"), folder);
}

TEST(MainPanelTest, SpinsMoveTheAdjustmentsAndStoreWhatTheCardReadsBack) {
    struct Row {
        int spin, delta, hAdjustChange_hz, storedVAdjust;
    };
    const Row rows[] = {
        {kHAdjustSpin, +1, -20, 626}, {kHAdjustSpin, -1, +20, 626}, {kHAdjustSpin, +3, -60, 626},
        {kVAdjustSpin, +1, 0, 627},   {kVAdjustSpin, -1, 0, 625},   {kVStepSpin, +1, 0, 626},
        {kVStepSpin, -1, 0, 626},
    };
    for (const Row& row : rows) {
        PanelRig rig;
        Settings::WriteInt(kVAdjustSetting, 626);
        rig.Open();
        const int hAdjustBefore = rig.Engine().GetHAdjust();
        Spin(rig, row.spin, row.delta);

        const int hAdjust = rig.Engine().GetHAdjust();
        // The chip's PLL moves in steps of about 36 Hz: the read-back value is
        // the one nearest to the 20 Hz step.
        EXPECT_NEAR(hAdjust - hAdjustBefore, row.hAdjustChange_hz, 19)
            << row.spin << " " << row.delta;
        if (row.spin == kHAdjustSpin) {
            EXPECT_EQ(Settings::ReadInt(kHAdjustSetting), hAdjust);
        }
        EXPECT_EQ(rig.Engine().GetVAdjust(), row.storedVAdjust) << row.spin << " " << row.delta;
        EXPECT_EQ(Settings::ReadInt(kVAdjustSetting), row.storedVAdjust);
    }
}

TEST(MainPanelTest, CloseStoresThePositionEscapeAndAHiddenWindowDoNot) {
    constexpr const char* kEarlier = "7 8 443 327";
    struct Row {
        const char* name;
        bool shown;
        std::function<void(MainPanel&)> end;
        int result;
        const char* stored;
    };
    const Row rows[] = {
        {"Close", true,
         [](MainPanel& p) { static_cast<QAbstractButton*>(p.Control(kClose))->click(); },
         QDialog::Accepted, "100 50 536 369"},
        {"Escape", true, [](MainPanel& p) { QTest::keyClick(&p, Qt::Key_Escape); },
         QDialog::Rejected, kEarlier},
        {"Close while hidden", false,
         [](MainPanel& p) { static_cast<QAbstractButton*>(p.Control(kClose))->click(); },
         QDialog::Accepted, kEarlier},
    };
    for (const Row& row : rows) {
        PanelRig rig;
        MainPanel& panel = rig.Open();
        Settings::WriteString(kMainFramePosSetting, kEarlier);
        if (row.shown) {
            panel.move(100, 50);
            panel.show();
        }
        row.end(panel);

        EXPECT_FALSE(panel.IsFrameThreadRunning()) << row.name;
        EXPECT_EQ(panel.result(), row.result) << row.name;
        EXPECT_EQ(Settings::ReadString(kMainFramePosSetting, ""), row.stored) << row.name;
    }
}

// The knob's scroll notifications are handled after the knob's own event; a
// handler that runs late tunes to where the knob is then, not where it was.
TEST(MainPanelTest, KnobScrollTunesToTheKnobsCurrentPosition) {
    struct Row {
        int code, tunedAfter;
        std::optional<int> stored;
    };
    const Row rows[] = {{2, 2, 2}, {3, 2, 2}, {5, 2, 2}, {8, 2, 2}, {0, 0, {}}, {4, 0, {}}};
    for (const Row& row : rows) {
        PanelRig rig;
        MainPanel& panel = rig.Open();
        panel.Knob()->SetPos(1);
        emit panel.Knob()->Scrolled(row.code, 1);
        panel.Knob()->SetPos(2);
        EXPECT_EQ(TunedChannel(rig), 0) << "queued, code " << row.code;
        rig.Idle();

        EXPECT_EQ(TunedChannel(rig), row.tunedAfter) << "code " << row.code;
        EXPECT_EQ(Settings::ReadInt(kChannelSetting, -1), row.stored.value_or(-1));
    }
}

// Escape, session end and termination signals all end the panel through
// reject(): a recording in progress must end in a complete file.
TEST(MainPanelTest, EndingThePanelWhileRecordingLeavesACompleteFile) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    rig.Click(kNew);
    rig.Click(kRecord);
    ASSERT_TRUE(PanelRig::WaitFor([&] { return rig.Engine().FramesWritten() >= 3; }));
    panel.reject();
    const int written = rig.Engine().FramesWritten();
    rig.Destroy();

    const RecorderFileProbe::Result file =
        RecorderFileProbe::Probe(QString::fromStdString(rig.FilePath("take.avi")));
    EXPECT_EQ(file.videoStreams, 1);
    EXPECT_EQ(file.packets, written);
    EXPECT_GT(file.duration_s, 0);
}

// An empty list at start-up leaves the knob on its own range, at 0 and
// disabled, with nothing tuned; the Channels dialog shows no row, and its OK
// keeps the knob at 0 (the list's index -1 clamped), still disabled.
TEST(MainPanelTest, WithNoChannelsTheKnobShowsZeroAndStaysDisabled) {
    PanelRig rig(PanelRig::Hardware::Emulated, 0);
    Settings::WriteInt(kChannelSetting, 2);
    MainPanel& panel = rig.Open();
    rig.Idle();
    QuorvRoundSliderCtrl* knob = panel.Knob();
    EXPECT_EQ(knob->GetRangeMax(), 359);
    EXPECT_EQ(knob->GetDisplayText(), "0");
    EXPECT_FALSE(knob->isEnabled());
    EXPECT_EQ(panel.Card()->GetFrequency(), 0);

    int rowsShown = -1;
    rig.modal.other = [&](QDialog& dialog) {
        rowsShown = static_cast<ChannelsDialog&>(dialog).ChannelList()->rowCount();
        dialog.accept();
        return dialog.result();
    };
    rig.Click(kChannels);
    EXPECT_EQ(rowsShown, 0);
    EXPECT_EQ(rig.Engine().GetCount(), 0);
    EXPECT_EQ(knob->GetDisplayText(), "0");
    EXPECT_FALSE(knob->isEnabled());
}

// The Channels dialog rewrites the channel file; on OK the panel reloads the
// engine's list, widens the knob's range and points it at the tuned channel.
TEST(MainPanelTest, ChannelsOkReloadsTheListAndPointsTheKnobAtTheTunedChannel) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    panel.Knob()->SetPos(2);
    rig.Engine().TuneToChannel(2);
    const int tuned_hz = panel.Card()->GetFrequency();
    rig.modal.other = [](QDialog& dialog) {
        if (auto* manual = dynamic_cast<ManualDialog*>(&dialog)) {
            manual->FrequencyEdit()->setText("600");
            manual->accept();
            return manual->result();
        }
        static_cast<QAbstractButton*>(ChildById(&dialog, ControlIds::kManual))->click();
        dialog.accept();
        return dialog.result();
    };
    rig.Click(ControlIds::kChannels);

    EXPECT_EQ(rig.Engine().GetCount(), 4);
    EXPECT_EQ(panel.Knob()->GetRangeMax(), 3);
    EXPECT_EQ(panel.Knob()->GetPos(), rig.Engine().FindChannel(static_cast<uint32_t>(tuned_hz)));
    EXPECT_EQ(rig.Engine().GetChannelFrequency(3), 600);
}

// A stored size of 440 x 340 is the size the controls are arranged for: the
// columns centred in the wider right-hand strip (the check boxes too, as
// placed), the spins in the middle of the taller band, the bottom column
// against the lower edge.
TEST(MainPanelTest, ARestoredSizeIsTheOneTheControlsAreArrangedFor) {
    PanelRig rig;
    Settings::WriteString(kMainFramePosSetting, "10 20 450 360");
    MainPanel& panel = rig.Open();
    constexpr int W = 440, H = 340, fy = kDialogFrameHeight_px;
    EXPECT_EQ(panel.geometry(), QRect(10, 20, W, H));
    EXPECT_EQ(panel.Client()->geometry(), QRect(3, 3, W - 6, H - 6));
    for (int id : {kNew, kEject, kRecord, kChannelKnob, kChannels, kTimer, kPowerOff, kClose}) {
        const QWidget* control = panel.Control(id);
        EXPECT_EQ(control->x(), 360 + (W - 360 - control->width()) / 2) << id;
    }
    for (int id : {kHAdjustSpin, kHAdjustLabel, kVAdjustSpin, kVAdjustLabel, kVStepSpin}) {
        const QWidget* control = panel.Control(id);
        EXPECT_EQ(control->y(), 293 + (H - 293 - 2 * fy - control->height()) / 2) << id;
    }
    EXPECT_EQ(panel.Control(kClose)->y(), H - (2 * fy + 12) - panel.TimerBox()->height() + 5);
}

// Resting the mouse on the picture shows the status text at the next tick;
// elsewhere on the panel it doesn't.
TEST(MainPanelTest, TheMouseRestingOnTheVideoShowsTheText) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    panel.move(100, 100);
    panel.show();
    StatusOverlay* overlay = rig.Engine().GetOverlay();
    overlay->Show(0);
    QCursor::setPos(panel.Client()->mapToGlobal(QPoint(400, 150)));
    panel.OnTimer();
    EXPECT_FALSE(overlay->IsTextVisible());
    QCursor::setPos(panel.Client()->mapToGlobal(MainPanel::kVideoRect.center()));
    panel.OnTimer();
    EXPECT_TRUE(overlay->IsTextVisible());
    QCursor::setPos(0, 0);
}

// Where the window system moves no window for the panel (here: none can),
// dragging by the picture moves it with the mouse, while the button is down.
TEST(MainPanelTest, DraggingByTheVideoMovesThePanel) {
    PanelRig rig;
    MainPanel& panel = rig.Open();
    panel.move(100, 100);
    panel.show();
    QWidget* client = panel.Client();
    const auto send = [client](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, client->mapFromGlobal(global), global, button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(client, &event);
    };
    send(QEvent::MouseButtonPress, QPoint(160, 160), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(175, 170), Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(190, 180), Qt::LeftButton);
    EXPECT_EQ(panel.pos(), QPoint(130, 120));
    send(QEvent::MouseButtonRelease, QPoint(190, 180), Qt::NoButton);
    send(QEvent::MouseMove, QPoint(250, 250), Qt::NoButton);
    EXPECT_EQ(panel.pos(), QPoint(130, 120));
}
