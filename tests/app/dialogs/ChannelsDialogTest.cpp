#include "app/dialogs/ChannelsDialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "app/ControlId.h"
#include "app/dialogs/ManualDialog.h"
#include "app/dialogs/ScanDialog.h"
#include "app/resources/DialogTemplate.h"
#include "controls/ChannelListCtrl.h"
#include "support/ChannelDialogsRig.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kFiveStations = {"182\t?", "224\t?", "503\t?", "55\t?", "743\t?"};

void Click(const QWidget* dialog, int id) {
    static_cast<QAbstractButton*>(ChildById(dialog, id))->click();
}

int TypeFrequency(QDialog& dialog, const char* text) {
    auto& manual = static_cast<ManualDialog&>(dialog);
    QTest::keyClicks(manual.FrequencyEdit(), text);
    Click(&manual, ControlIds::kOk);
    return manual.result();
}

int SweepAndClose(QDialog& dialog) {
    auto& scan = static_cast<ScanDialog&>(dialog);
    scan.StartButton()->click();
    scan.StartButton()->click();
    return scan.result();
}

class ChannelsDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<ChannelsDialog> Open() {
        return std::make_unique<ChannelsDialog>(rig.engine.get(), rig.ChannelFile(), rig.modal,
                                                nullptr);
    }

    Lines Shown(const ChannelsDialog& dialog) const {
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

TEST_F(ChannelsDialogTest, ShowsTheSortedFileWithRowNumbersAndHertz) {
    rig.StoreChannels({{48, "B\xE9"}, {175, "A"}, {1, nullptr}});
    auto dialog = Open();
    EXPECT_EQ(Shown(*dialog), (Lines{"?|0|1,000,000", "A|1|175,000,000", "B\xE9|2|48,000,000"}));
    EXPECT_EQ(dialog->ChannelList()->item(2, 0)->text(), QString::fromUtf8("Bé"));
    const ChannelListCtrl* list = dialog->ChannelList();
    QStringList headings;
    for (int column = 0; column < list->columnCount(); ++column) {
        headings << list->horizontalHeaderItem(column)->text();
    }
    EXPECT_EQ(headings, (QStringList{"Name", "Channel", "Frequency", ""}));
    EXPECT_EQ(list->item(0, 2)->textAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_FALSE(ChildById(dialog.get(), ControlIds::kRemove)->isEnabled());
}

// A full sweep over the emulated band, then a second one that finds the same
// stations again and must add nothing.
TEST_F(ChannelsDialogTest, ScanStoresTheStationsOnceAndASecondScanAddsNothing) {
    auto dialog = Open();
    rig.modal.Then(SweepAndClose);
    Click(dialog.get(), ControlIds::kScan);
    Click(dialog.get(), ControlIds::kOk);
    EXPECT_EQ(rig.StoredLines(), kFiveStations);

    dialog = Open();
    rig.modal.Then(SweepAndClose);
    Click(dialog.get(), ControlIds::kScan);
    Click(dialog.get(), ControlIds::kOk);
    EXPECT_EQ(rig.StoredLines(), kFiveStations);
    EXPECT_EQ(rig.modal.runs, 2);
}

// Stored entries are not passed back: a 1 MHz entry would come back as
// 1,000,000 Hz and be taken for 1,000,000 MHz.
TEST_F(ChannelsDialogTest, ScanKeepsStoredEntriesAsTheyWere) {
    rig.StoreChannels({{1, "Low"}, {503, "Delta"}});
    auto dialog = Open();
    rig.modal.Then(SweepAndClose);
    Click(dialog.get(), ControlIds::kScan);
    Click(dialog.get(), ControlIds::kOk);
    EXPECT_EQ(rig.StoredLines(),
              (Lines{"1\tLow", "182\t?", "224\t?", "503\tDelta", "55\t?", "743\t?"}));
}

TEST_F(ChannelsDialogTest, ManualAddsOnlyNewFrequenciesAndEmptyMeansZero) {
    struct Case {
        const char* typed;
        Lines stored;
    };
    const Case cases[] = {
        {"471", {"471\tNews"}},
        {"472", {"471\tNews", "472\t?"}},
        {"", {"0\t?", "471\tNews"}},
        {"4721", {"471\tNews", "472\t?"}},  // the edit takes three digits
        {"9x9", {"471\tNews", "99\t?"}},    // and digits only
    };
    for (const Case& c : cases) {
        rig.StoreChannels({{471, "News"}});
        auto dialog = Open();
        rig.modal.Then([&c](QDialog& manual) { return TypeFrequency(manual, c.typed); });
        Click(dialog.get(), ControlIds::kManual);
        Click(dialog.get(), ControlIds::kOk);
        EXPECT_EQ(rig.StoredLines(), c.stored) << c.typed;
        std::remove(rig.ChannelFile().c_str());
    }
}

TEST_F(ChannelsDialogTest, ManualShowsTheNewRowInHertz) {
    rig.StoreChannels({{471, "News"}});
    auto dialog = Open();
    rig.modal.Then([](QDialog& manual) { return TypeFrequency(manual, "472"); });
    Click(dialog.get(), ControlIds::kManual);
    EXPECT_EQ(Shown(*dialog), (Lines{"News|0|471,000,000", "?|1|472,000,000"}));
}

TEST_F(ChannelsDialogTest, RenamingInPlaceStoresTheTextAsBytesAndEmptyAsEmpty) {
    rig.StoreChannels({{471, "News"}, {55, "Alpha"}});
    auto dialog = Open();
    dialog->show();
    ChannelListCtrl* list = dialog->ChannelList();
    const std::pair<int, const char*> renames[] = {{0, ""}, {1, "Caf\xC3\xA9"}};
    for (const auto& [row, text] : renames) {
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
    EXPECT_EQ(rig.StoredLines(), (Lines{"471\t", "55\tCaf\xE9"}));
}

TEST_F(ChannelsDialogTest, SelectingARowTunesAndCancelWritesNothing) {
    rig.StoreChannels({{503, "Delta"}, {182, "Bravo"}});
    const Lines before = rig.StoredLines();
    auto dialog = Open();
    for (int row : {0, 1}) {
        dialog->ChannelList()->selectRow(row);
        const int64_t expected_hz = row == 0 ? 182'000'000 : 503'000'000;
        EXPECT_NEAR(rig.TunedFrequency_hz(), expected_hz, 62'500) << row;
    }
    rig.modal.Then([](QDialog& manual) { return TypeFrequency(manual, "600"); });
    Click(dialog.get(), ControlIds::kManual);
    dialog->ChannelList()->clearSelection();
    EXPECT_NEAR(rig.TunedFrequency_hz(), 503'000'000, 62'500);
    Click(dialog.get(), ControlIds::kCancel);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(rig.StoredLines(), before);
}

}  // namespace
