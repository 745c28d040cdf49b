#include "controls/FlatButton.h"

#include <QCursor>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTimerEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QColor kFace(192, 192, 192);
const QColor kHighlight(255, 255, 255);
const QColor kShadow(128, 128, 128);
const QColor kText(0, 0, 0);
const QColor kGrayText(130, 0, 0);

enum class Edge { None, Raised, Sunken };

class FlatButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        QPalette colors = panel_.palette();
        colors.setColor(QPalette::Button, kFace);
        colors.setColor(QPalette::Light, kHighlight);
        colors.setColor(QPalette::Dark, kShadow);
        colors.setColor(QPalette::ButtonText, kText);
        colors.setColor(QPalette::Disabled, QPalette::ButtonText, kGrayText);
        panel_.setPalette(colors);
        panel_.resize(200, 100);
        button_ = new FlatButton("Close", &panel_);
        button_->setGeometry(20, 20, 80, 24);
        panel_.show();
    }

    void TearDown() override { QCursor::setPos(0, 0); }

    // Moves the cursor (the hover check reads its real position).
    void MoveMouseTo(const QPoint& point) {
        QCursor::setPos(button_->mapToGlobal(point));
        QTest::mouseMove(button_, point);
    }

    void TimerTick() {
        QTimerEvent tick(1);
        QCoreApplication::sendEvent(button_, &tick);
    }

    Edge PaintedEdge() {
        const QImage image = button_->grab().toImage();
        const QColor topLeft = image.pixelColor(0, 0);
        const QColor bottomRight = image.pixelColor(image.width() - 1, image.height() - 1);
        if (topLeft == kHighlight && bottomRight == kShadow) {
            return Edge::Raised;
        }
        if (topLeft == kShadow && bottomRight == kHighlight) {
            return Edge::Sunken;
        }
        EXPECT_EQ(topLeft, kFace);
        EXPECT_EQ(bottomRight, kFace);
        return Edge::None;
    }

    QWidget panel_;
    FlatButton* button_ = nullptr;
};

int CountPixels(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == color;
        }
    }
    return count;
}

}  // namespace

TEST_F(FlatButtonTest, HoverPaintsARaisedEdgeUntilTheCursorLeaves) {
    EXPECT_EQ(PaintedEdge(), Edge::None);
    MoveMouseTo({10, 10});
    EXPECT_TRUE(button_->IsHoverDrawn());
    EXPECT_EQ(PaintedEdge(), Edge::Raised);

    TimerTick();  // still inside
    EXPECT_EQ(PaintedEdge(), Edge::Raised);

    QCursor::setPos(panel_.mapToGlobal(QPoint(150, 80)));
    TimerTick();
    EXPECT_FALSE(button_->IsHoverDrawn());
    EXPECT_EQ(PaintedEdge(), Edge::None);
}

TEST_F(FlatButtonTest, PressingShowsTheSunkenEdgeAndEndsTheHover) {
    MoveMouseTo({10, 10});
    QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(PaintedEdge(), Edge::Sunken);
    TimerTick();
    EXPECT_FALSE(button_->IsHoverDrawn());
    EXPECT_EQ(PaintedEdge(), Edge::Sunken);

    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(10, 10));
    MoveMouseTo({11, 10});
    EXPECT_EQ(PaintedEdge(), Edge::Raised);
}

TEST_F(FlatButtonTest, ADisabledCaptionIsGray) {
    const QImage enabled = button_->grab().toImage();
    EXPECT_GT(CountPixels(enabled, kText), 0);
    EXPECT_EQ(CountPixels(enabled, kGrayText), 0);

    button_->setEnabled(false);
    const QImage disabled = button_->grab().toImage();
    EXPECT_EQ(CountPixels(disabled, kText), 0);
    EXPECT_GT(CountPixels(disabled, kGrayText), 0);
}

TEST_F(FlatButtonTest, ThePaletteIsReadAgainWhenItChanges) {
    QPalette colors = panel_.palette();
    colors.setColor(QPalette::Button, QColor(10, 20, 30));
    panel_.setPalette(colors);
    const QImage image = button_->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(10, 20, 30));
}

TEST_F(FlatButtonTest, TheCaptionIsCentredInTheParentsFont) {
    QFont big = panel_.font();
    big.setPixelSize(20);
    panel_.setFont(big);
    button_->setFont(QFont());
    const QImage image = button_->grab().toImage();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != kFace) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_NEAR(ink.center().x(), image.width() / 2, 3);
    EXPECT_NEAR(ink.center().y(), image.height() / 2, 4);
    EXPECT_GE(ink.height(), 12);  // 20-pixel capitals, not the button's own font
}

// A mnemonic or shortcut presses the button through animateClick(), whose
// release comes from the button's own timer.
TEST_F(FlatButtonTest, AnAnimatedClickReleasesAndClicks) {
    QSignalSpy clicked(button_, &QAbstractButton::clicked);
    button_->animateClick();
    EXPECT_TRUE(button_->isDown());
    EXPECT_TRUE(clicked.wait(2000));
    EXPECT_FALSE(button_->isDown());
}
