#include "app/PanelTerminator.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTimer>
#include <csignal>
#include <functional>
#include <vector>

#include "app/ControlId.h"
#include "app/dialogs/ChannelsDialog.h"
#include "app/dialogs/ManualDialog.h"
#include "app/dialogs/RecordingTimerDialog.h"
#include "app/dialogs/ScanDialog.h"
#include "controls/ScanDisplay.h"
#include "display/RecordingSchedule.h"
#include "support/PanelRig.h"
#include "support/RecorderFileProbe.h"

using namespace ControlIds;

namespace {

constexpr int kStuck = 99;
constexpr int kStuckAfter_ms = 3000;

// Runs every dialog in its own modal loop, as the program does, and does
// `inside` once the loop runs. A dialog still open after kStuckAfter_ms is
// closed with kStuck, which fails the test instead of hanging it.
class RealDialogs {
public:
    using Inside = std::function<void(QDialog&)>;

    explicit RealDialogs(PanelRig& rig) {
        rig.modal.every = [this](QDialog& dialog) { return Run(dialog); };
    }

    Inside inside;
    std::vector<int> results;  // innermost first, as the loops return

private:
    int Run(QDialog& dialog) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { inside(dialog); });
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, &dialog, [&dialog] { dialog.done(kStuck); });
        stuck.start(kStuckAfter_ms);
        const int result = dialog.exec();
        results.push_back(result);
        return result;
    }
};

void Click(QDialog& dialog, int id) {
    static_cast<QAbstractButton*>(ChildById(&dialog, id))->click();
}

void ExpectClosedAsEscape(PanelRig& rig) {
    EXPECT_EQ(rig.Panel().result(), QDialog::Rejected);
    EXPECT_FALSE(rig.Panel().IsFrameThreadRunning());
    EXPECT_FALSE(Settings::ReadString(kMainFramePosSetting).has_value());
}

}  // namespace

// A shutdown while the Recording Timer asks: the dialog is cancelled (the
// Timer box cleared), the panel closes and the file being written is whole.
TEST(PanelTerminatorTest, ATerminationInTheTimerDialogFinishesTheRecording) {
    PanelRig rig;
    rig.Open();
    PanelTerminator terminator(rig.Panel());
    rig.Click(kNew);
    rig.Click(kRecord);
    ASSERT_TRUE(PanelRig::WaitFor([&] { return rig.Engine().FramesWritten() >= 3; }));
    RealDialogs dialogs(rig);
    dialogs.inside = [](QDialog& dialog) {
        ASSERT_NE(dynamic_cast<RecordingTimerDialog*>(&dialog), nullptr);
        std::raise(SIGTERM);
    };
    rig.Panel().TimerBox()->click();

    EXPECT_EQ(dialogs.results, std::vector<int>{QDialog::Rejected});
    EXPECT_FALSE(rig.Panel().TimerBox()->isChecked());
    EXPECT_FALSE(rig.Engine().GetSchedule()->IsArmed());
    ExpectClosedAsEscape(rig);
    const int written = rig.Engine().FramesWritten();
    rig.Destroy();
    const RecorderFileProbe::Result file =
        RecorderFileProbe::Probe(QString::fromStdString(rig.FilePath("take.avi")));
    EXPECT_EQ(file.videoStreams, 1);
    EXPECT_EQ(file.packets, written);
}

// Nested dialogs all close, innermost first; nothing they held is stored.
TEST(PanelTerminatorTest, AHangUpInManualInsideChannelsClosesBoth) {
    PanelRig rig;
    rig.Open();
    PanelTerminator terminator(rig.Panel());
    RealDialogs dialogs(rig);
    dialogs.inside = [](QDialog& dialog) {
        if (auto* manual = dynamic_cast<ManualDialog*>(&dialog)) {
            manual->FrequencyEdit()->setText("600");
            std::raise(SIGHUP);
        } else {
            Click(dialog, kManual);
        }
    };
    rig.Click(kChannels);

    EXPECT_EQ(dialogs.results, (std::vector<int>{QDialog::Rejected, QDialog::Rejected}));
    ExpectClosedAsEscape(rig);
    ChannelStore stored(rig.FilePath("channels"));
    stored.Load();
    EXPECT_EQ(stored.GetCount(), 3);
}

// The sweep can't be cancelled by Escape, but the program's end stops it.
TEST(PanelTerminatorTest, ATerminationDuringTheScanStopsTheSweep) {
    PanelRig rig;
    rig.Open();
    PanelTerminator terminator(rig.Panel());
    RealDialogs dialogs(rig);
    uint32_t lastStep_hz = 0;
    dialogs.inside = [&](QDialog& dialog) {
        auto* scan = dynamic_cast<ScanDialog*>(&dialog);
        if (scan == nullptr) {
            Click(dialog, kScan);
            return;
        }
        QTimer::singleShot(0, [] { std::raise(SIGINT); });
        scan->StartButton()->click();
        lastStep_hz = scan->Display()->CurrentFrequency();
    };
    rig.Click(kChannels);

    EXPECT_EQ(dialogs.results, (std::vector<int>{QDialog::Rejected, QDialog::Rejected}));
    EXPECT_LT(lastStep_hz, ScanDisplay::kBandStart_hz + 10 * ScanDisplay::kStep_hz);
    ExpectClosedAsEscape(rig);
}
