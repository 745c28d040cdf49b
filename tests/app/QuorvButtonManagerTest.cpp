#include "app/QuorvButtonManager.h"

#include "app/ControlId.h"

#include <QWidget>

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int fx = kDialogFrameWidth_px;
constexpr int fy = kDialogFrameHeight_px;

struct Control {
    int id;
    QSize size;
};

// The main panel's client area, with template-sized controls.
class PanelLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { panel_.resize(430, 313); }

    QWidget* Add(QuorvButtonManager& manager, const Control& control) {
        auto* widget = new QWidget(&panel_);
        SetControlId(widget, control.id);
        widget->resize(control.size);
        manager.AddControl(widget);
        return widget;
    }

    std::vector<QWidget*> Build(QuorvButtonManager& manager, const std::vector<Control>& controls) {
        manager.SetParentWindow(&panel_);
        std::vector<QWidget*> widgets;
        for (const Control& control : controls) {
            widgets.push_back(Add(manager, control));
        }
        return widgets;
    }

    QWidget panel_;
};

}  // namespace

TEST_F(PanelLayoutTest, SpinsRunAlongTheBandBelowTheVideo) {
    QuorvButtonManager manager;
    const auto widgets = Build(manager, {{1004, {36, 12}},
                                         {1011, {48, 12}},
                                         {1005, {36, 13}},
                                         {1012, {48, 12}},
                                         {1007, {36, 12}},
                                         {1013, {33, 11}}});
    manager.horizontalGap = 5;
    manager.verticalGap = 5;
    manager.margins = QMargins(5, 293, 5, 2 * fy);
    manager.Arrange(QuorvButtonManager::kRow, 0, 2);

    int x = 5;
    for (QWidget* widget : widgets) {
        EXPECT_EQ(widget->pos(), QPoint(x, 293 + (20 - widget->height()) / 2));
        x += widget->width() + 5;
    }
}

TEST_F(PanelLayoutTest, CommandColumnStartsAtTheTopWithTwoPixelGaps) {
    QuorvButtonManager manager;
    const auto widgets = Build(
        manager,
        {{1009, {66, 20}}, {1010, {66, 20}}, {1008, {66, 20}}, {1021, {66, 66}}, {1014, {66, 20}}});
    manager.horizontalGap = 5;
    manager.verticalGap = 2;
    manager.margins = QMargins(360, 5, 0, 5);
    manager.Arrange(QuorvButtonManager::kColumn, 2, 0);

    const int expectedY[] = {5, 27, 49, 71, 139};
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        EXPECT_EQ(widgets[i]->pos(), QPoint(360 + (70 + 2 * fx - 66) / 2, expectedY[i]));
    }
}

TEST_F(PanelLayoutTest, BottomColumnEndsAtY306) {
    QuorvButtonManager manager;
    const auto widgets = Build(manager, {{1023, {72, 16}}, {1022, {72, 16}}, {1020, {66, 16}}});
    manager.horizontalGap = 5;
    manager.verticalGap = 5;
    manager.margins = QMargins(360, 5, 0, 2 * fy + 12);
    manager.Arrange(QuorvButtonManager::kColumn, 2, 1);

    EXPECT_EQ(widgets.back()->geometry().bottom() + 1, 306);
    EXPECT_EQ(widgets[1]->y() + 16 + 5, widgets[2]->y());
    for (QWidget* widget : widgets) {
        EXPECT_EQ(widget->x(), 360 + (70 + 2 * fx - widget->width()) / 2);
    }
}

TEST_F(PanelLayoutTest, ColumnOfUnequalHeightsFromTheTop) {
    QuorvButtonManager manager;
    const auto widgets = Build(manager, {{1, {20, 12}}, {2, {20, 12}}, {3, {20, 40}}});
    manager.verticalGap = 2;
    manager.margins = QMargins(0, 9, 0, 0);
    manager.Arrange(QuorvButtonManager::kColumn, 0, 0);
    EXPECT_EQ(widgets[0]->y(), 9);
    EXPECT_EQ(widgets[1]->y(), 9 + 14);
    EXPECT_EQ(widgets[2]->y(), 9 + 28);
}

TEST_F(PanelLayoutTest, OneControlIsCentredBetweenTheMargins) {
    QuorvButtonManager manager;
    const auto widgets = Build(manager, {{1, {40, 10}}});
    manager.margins = QMargins(10, 0, 30, 0);
    manager.Arrange(QuorvButtonManager::kRow, 2, 0);
    EXPECT_EQ(widgets[0]->x(), 10 + (430 + 2 * fx - 10 - 30 - 40) / 2);
}

TEST_F(PanelLayoutTest, PositionsAreInTheClientAreaOfAFramedParent) {
    panel_.setContentsMargins(fx, fy, fx, fy);
    panel_.resize(430 + 2 * fx, 313 + 2 * fy);
    QuorvButtonManager manager;
    const auto widgets = Build(manager, {{1, {40, 10}}});
    manager.margins = QMargins(5, 293, 5, 2 * fy);
    manager.Arrange(QuorvButtonManager::kRow, 0, 2);
    EXPECT_EQ(widgets[0]->pos(), QPoint(5 + fx, 293 + 5 + fy));
}

TEST_F(PanelLayoutTest, NothingMovesWithoutParentControlsOrKnownOrientation) {
    QuorvButtonManager orphan;
    QWidget stray(&panel_);
    stray.move(7, 8);
    orphan.AddControl(&stray);
    orphan.Arrange(QuorvButtonManager::kRow, 0, 0);
    EXPECT_EQ(stray.pos(), QPoint(7, 8));
    EXPECT_EQ(stray.parentWidget(), &panel_);

    QuorvButtonManager empty;
    empty.SetParentWindow(&panel_);
    empty.Arrange(QuorvButtonManager::kColumn, 0, 0);

    QuorvButtonManager diagonal;
    const auto widgets = Build(diagonal, {{1, {10, 10}}});
    widgets[0]->move(3, 4);
    diagonal.Arrange(2, 0, 0);
    EXPECT_EQ(widgets[0]->pos(), QPoint(3, 4));
}

TEST_F(PanelLayoutTest, AControlWithoutIdentifierGetsTheNextOne) {
    for (int id : {1004, 1031, 1020}) {
        SetControlId(new QWidget(&panel_), id);
    }
    QuorvButtonManager manager;
    manager.SetParentWindow(&panel_);
    QWidget outsider;
    const QSize size(30, 12);
    EXPECT_EQ(manager.AddControl(&outsider, &size), 1032);
    EXPECT_EQ(outsider.parentWidget(), &panel_);
    EXPECT_EQ(outsider.size(), size);
}
