#include "app/dialogs/ChannelsDialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/ControlId.h"
#include "app/dialogs/ManualDialog.h"
#include "app/dialogs/ScanDialog.h"
#include "app/resources/DialogTemplate.h"
#include "controls/ChannelListCtrl.h"
#include "support/ChannelDialogsRig.h"
#include "support/RecordingWarningBox.h"

namespace {

using Lines = ChannelDialogsRig::Lines;

void Click(const QWidget* dialog, int id) {
    static_cast<QAbstractButton*>(ChildById(dialog, id))->click();
}

class ChannelsDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<ChannelsDialog> Open() {
        return std::make_unique<ChannelsDialog>(rig.engine.get(), rig.ChannelFile(), rig.modal,
                                                nullptr);
    }

    // Each row as "name|row number|frequency text".
    static Lines Shown(const ChannelsDialog& dialog) {
        Lines rows;
        const ChannelListCtrl* list = dialog.ChannelList();
        for (int row = 0; row < list->rowCount(); ++row) {
            rows.push_back(list->ItemText(row, 0) + "|" + list->ItemText(row, 1) + "|" +
                           list->ItemText(row, 2));
        }
        return rows;
    }

    ChannelDialogsRig rig;
};

// Two sweeps over the emulated band; the second finds the same stations and
// adds nothing. The stored 1 MHz entry must not come back as 1,000,000 MHz.
TEST_F(ChannelsDialogTest, ScanStoresEachStationOnceAndKeepsStoredEntries) {
    rig.Store({"1\tLow"});
    rig.modal.script = [](QDialog& dialog) {
        auto& scan = static_cast<ScanDialog&>(dialog);
        scan.StartButton()->click();
        scan.StartButton()->click();  // now "Close"
        return scan.result();
    };
    for (int pass = 0; pass < 2; ++pass) {
        auto dialog = Open();
        Click(dialog.get(), ControlIds::kScan);
        Click(dialog.get(), ControlIds::kOk);
        EXPECT_EQ(rig.Stored(), (Lines{"1\tLow", "182\t?", "224\t?", "503\t?", "55\t?", "743\t?"}))
            << pass;
    }
}

TEST_F(ChannelsDialogTest, ManualAddsOnlyNewFrequenciesInWholeMegahertz) {
    const std::pair<const char*, Lines> cases[] = {
        {"471", {"News|0|471,000,000"}},
        {"472", {"News|0|471,000,000", "?|1|472,000,000"}},
        {"", {"News|0|471,000,000"}},                         // nothing typed, nothing added
        {"4721", {"News|0|471,000,000", "?|1|472,000,000"}},  // three digits at most
        {"9x9", {"News|0|471,000,000", "?|1|99,000,000"}},    // digits only
    };
    rig.Store({"471\tNews"});
    for (const auto& [typed, shown] : cases) {
        auto dialog = Open();
        rig.modal.script = [typed = typed](QDialog& manual) {
            QTest::keyClicks(static_cast<ManualDialog&>(manual).FrequencyEdit(), typed);
            Click(&manual, ControlIds::kOk);
            return manual.result();
        };
        Click(dialog.get(), ControlIds::kManual);
        EXPECT_EQ(Shown(*dialog), shown) << typed;
    }
}

TEST_F(ChannelsDialogTest, RenamingInPlaceStoresTheTextAsBytesAndEmptyAsEmpty) {
    rig.Store({"471\tNews", "55\tAlpha"});
    auto dialog = Open();
    dialog->show();
    ChannelListCtrl* list = dialog->ChannelList();
    for (const auto& [row, text] : {std::pair{0, ""}, std::pair{1, "Caf\xC3\xA9"}}) {
        list->setCurrentCell(row, 0);
        QTest::keyClick(list, Qt::Key_F2);
        auto* editor = list->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(QString::fromUtf8(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the list commits, then the dialog stores
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(Shown(*dialog), (Lines{"|0|471,000,000", "Caf\xE9|1|55,000,000"}));
    Click(dialog.get(), ControlIds::kOk);
    EXPECT_EQ(rig.Stored(), (Lines{"471\t", "55\tCaf\xE9"}));
}

TEST_F(ChannelsDialogTest, SelectingARowTunesAndCancelWritesNothing) {
    rig.Store({"503\tDelta", "182\tBravo"});
    auto dialog = Open();
    for (const auto& [row, frequency_hz] : {std::pair{0, 182'000'000}, {1, 503'000'000}}) {
        dialog->ChannelList()->selectRow(row);
        EXPECT_NEAR(rig.TunedFrequency_hz(), frequency_hz, 62'500) << row;
    }
    dialog->ChannelList()->clearSelection();  // frequency 0: the tuner stays
    EXPECT_NEAR(rig.TunedFrequency_hz(), 503'000'000, 62'500);
    rig.Store({"600\tOther"});
    Click(dialog.get(), ControlIds::kCancel);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(rig.Stored(), (Lines{"600\tOther"}));
}

// The list shown after a load that stopped part-way holds only what could be
// read: OK asks before it replaces the file, and keeps the file (and the
// dialog open) unless the user confirms.
TEST_F(ChannelsDialogTest, OkAfterAPartialLoadAsksBeforeReplacingTheFile) {
    const std::string damaged = std::string("\x03\0\0\0", 4) +
                                "\x08"
                                "471\tNews" +
                                "\x07"
                                "55\tAlp";
    struct Case {
        const char* what;
        bool damagedFile;
        bool confirms;
        size_t questions;
        bool saved;
    };
    const Case cases[] = {
        {"damaged, kept", true, false, 1, false},
        {"damaged, replaced", true, true, 1, true},
        {"read whole", false, false, 0, true},
    };
    auto fileBytes = [this] {
        std::ifstream file(rig.ChannelFile(), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingWarningBox box;
        box.confirms = c.confirms;
        if (c.damagedFile) {
            std::ofstream(rig.ChannelFile(), std::ios::binary | std::ios::trunc) << damaged;
        } else {
            rig.Store({"471\tNews"});
        }
        const std::string before = fileBytes();
        auto dialog = Open();
        EXPECT_EQ(Shown(*dialog), Lines{"News|0|471,000,000"});

        Click(dialog.get(), ControlIds::kOk);

        EXPECT_EQ(box.Messages().size(), c.questions);
        EXPECT_EQ(dialog->result() == QDialog::Accepted, c.saved);
        if (c.saved) {
            EXPECT_EQ(rig.Stored(), Lines{"471\tNews"});
        } else {
            EXPECT_EQ(fileBytes(), before);
        }
    }
}

}  // namespace
