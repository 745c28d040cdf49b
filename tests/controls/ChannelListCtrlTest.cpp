#include "controls/ChannelListCtrl.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Alignment = ChannelListCtrl::Alignment;

class ChannelListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        list_.resize(300, 150);
        list_.InsertColumn(0, "Name", 75, Alignment::Left);
        list_.InsertColumn(1, "Channel", 25, Alignment::Left);
        list_.InsertColumn(2, "Frequency", 75, Alignment::Right);
        list_.InsertColumn(3, "", 100, Alignment::Left);
        list_.show();
    }

    void Fill(int rows) {
        for (int i = 0; i < rows; ++i) {
            list_.InsertItem(i, 0, "row " + std::to_string(i));
        }
    }

    std::string TopName() const { return list_.ItemText(list_.rowAt(0), 0); }

    ChannelListCtrl list_;
};

}  // namespace

TEST_F(ChannelListCtrlTest, AppendsAndSetsCells) {
    EXPECT_EQ(list_.InsertItem(-1, 0, "first"), 0);
    EXPECT_EQ(list_.InsertItem(-1, 0, "second"), 1);
    EXPECT_EQ(list_.InsertItem(7, 0, "beyond"), 2);
    EXPECT_EQ(list_.InsertItem(0, 0, "new top"), 0);
    EXPECT_EQ(list_.InsertItem(-2, 0, "bad"), -1);
    EXPECT_EQ(list_.InsertItem(1, 2, "471,000,000"), 1);
    EXPECT_EQ(list_.InsertItem(9, 2, "nowhere"), 9);

    EXPECT_EQ(list_.rowCount(), 4);
    EXPECT_EQ(list_.ItemText(0, 0), "new top");
    EXPECT_EQ(list_.ItemText(1, 0), "first");
    EXPECT_EQ(list_.ItemText(1, 2), "471,000,000");
    EXPECT_TRUE(list_.item(1, 2)->textAlignment() & Qt::AlignRight);
}

TEST_F(ChannelListCtrlTest, InsertingKeepsTheRowAtTheTopOfTheView) {
    Fill(60);
    QCoreApplication::processEvents();  // lets the view lay out its rows
    list_.scrollToItem(list_.item(20, 0), QAbstractItemView::PositionAtTop);
    ASSERT_EQ(TopName(), "row 20");

    list_.InsertItem(0, 0, "above");
    EXPECT_EQ(TopName(), "row 20");
    list_.InsertItem(50, 0, "below");
    EXPECT_EQ(TopName(), "row 20");
    list_.InsertItem(-1, 0, "appended");
    EXPECT_EQ(TopName(), "row 20");
}

TEST_F(ChannelListCtrlTest, AtTheTopANewFirstRowIsShown) {
    Fill(60);
    list_.InsertItem(0, 0, "newest");
    EXPECT_EQ(TopName(), "newest");
}

TEST_F(ChannelListCtrlTest, NarrowColumnsGetTwentyPixels) {
    list_.InsertItem(0, 0, "x");
    list_.AutoSizeColumns(3, -1);  // empty heading, no contents
    EXPECT_EQ(list_.columnWidth(3), 20);
}

TEST_F(ChannelListCtrlTest, TheFillColumnTakesUpTheOverflow) {
    list_.InsertItem(0, 0, "BBC One");
    list_.InsertItem(0, 1, "1");
    list_.InsertItem(0, 2, "471,000,000");
    int natural[4];
    for (int column = 0; column < 4; ++column) {
        list_.AutoSizeColumns(column, -1);
        natural[column] = list_.columnWidth(column);
    }
    const int total = natural[0] + natural[1] + natural[2] + natural[3];

    struct Case {
        int viewWidth;
        int expectedFill;
    };
    const int slack = 7;
    const Case cases[] = {
        {total + 20, natural[2]},             // everything fits
        {total - slack, natural[2] - slack},  // narrowed by the overflow
        {total - natural[2], 10},             // never below 10 pixels
    };
    for (const Case& c : cases) {
        list_.resize(c.viewWidth + list_.width() - list_.viewport()->width(), 150);
        ASSERT_EQ(list_.viewport()->width(), c.viewWidth);
        list_.AutoSizeColumns(-1, 2);
        EXPECT_EQ(list_.columnWidth(2), c.expectedFill) << c.viewWidth;
        EXPECT_EQ(list_.columnWidth(0), natural[0]);
    }
}

TEST_F(ChannelListCtrlTest, SelectedItem) {
    Fill(5);
    EXPECT_EQ(list_.GetSelectedItem(), -1);
    list_.selectRow(3);
    EXPECT_EQ(list_.GetSelectedItem(), 3);
    list_.selectRow(1);
    EXPECT_EQ(list_.GetSelectedItem(), 1);
}

TEST_F(ChannelListCtrlTest, NamesAreWindows1252Bytes) {
    list_.InsertItem(0, 0, "Caf\xE9 \x80");
    EXPECT_EQ(list_.item(0, 0)->text(), QString::fromUtf8("Café €"));
    EXPECT_EQ(list_.ItemText(0, 0), "Caf\xE9 \x80");
}

TEST_F(ChannelListCtrlTest, OnlyTheNameIsEditedInPlace) {
    Fill(3);
    list_.InsertItem(1, 1, "5");
    QSignalSpy edited(&list_, &ChannelListCtrl::NameEdited);

    list_.setCurrentCell(1, 1);
    QTest::keyClick(&list_, Qt::Key_F2);
    EXPECT_EQ(list_.findChild<QLineEdit*>(), nullptr);

    list_.setCurrentCell(1, 0);
    QTest::keyClick(&list_, Qt::Key_F2);
    auto* editor = list_.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QString::fromUtf8("Ä€"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor commits through a queued call

    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toInt(), 1);
    EXPECT_EQ(edited.at(0).at(1).value<std::string>(), "\xC4\x80");
    EXPECT_EQ(list_.ItemText(1, 0), "\xC4\x80");
}
