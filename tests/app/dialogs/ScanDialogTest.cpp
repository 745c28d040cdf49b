#include "app/dialogs/ScanDialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include "controls/ScanDisplay.h"
#include "emulator/ChipRegisters.h"
#include "support/ChannelDialogsRig.h"

namespace {

// Start, Cancel enabled, Cancel visible, Start's caption, decoder TEST register.
using Snapshot = std::tuple<bool, bool, bool, QString, uint32_t>;

Snapshot Take(const ScanDialog& dialog, EmulatedCard& card) {
    return {dialog.StartButton()->isEnabled(), dialog.CancelButton()->isEnabled(),
            dialog.CancelButton()->isVisible(), dialog.StartButton()->text(),
            card.Chip(0).read32(ChipRegisters::kTest)};
}

// The steps dispatch events, so what is posted before Start arrives during
// the sweep: a look at the dialog, an Escape and a close, which must do nothing.
TEST(ScanDialogTest, SweepsTheBandOnceWhileEscapeAndCloseDoNothing) {
    ChannelDialogsRig rig;
    ScanDialog dialog(rig.engine.get(), nullptr);
    dialog.show();
    const Snapshot idle = Take(dialog, rig.emulated);
    Snapshot sweeping;
    QMetaObject::invokeMethod(
        &dialog, [&] { sweeping = Take(dialog, rig.emulated); }, Qt::QueuedConnection);
    QCoreApplication::postEvent(&dialog,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(&dialog, new QCloseEvent);
    const uint32_t start_ms = rig.clock.TickCount();

    dialog.StartButton()->click();

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(
        dialog.Display()->foundFrequencies,
        (std::vector<uint32_t>{55'000'000, 182'000'000, 224'000'000, 503'000'000, 743'000'000}));
    EXPECT_EQ(dialog.Display()->CurrentFrequency(), 879'000'000u);
    EXPECT_GE(rig.clock.TickCount() - start_ms, 839u * 110 + 5 * 250);
    EXPECT_EQ(idle, Snapshot(true, true, true, "Start", 239));
    EXPECT_EQ(sweeping, Snapshot(false, false, false, "Start", 1));
    EXPECT_EQ(Take(dialog, rig.emulated), Snapshot(true, false, false, "Close", 239));
    dialog.StartButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
