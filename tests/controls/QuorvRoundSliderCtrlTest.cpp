#include "controls/QuorvRoundSliderCtrl.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using Knob = QuorvRoundSliderCtrl;

struct Notification {
    int code;
    int position;
    bool operator==(const Notification&) const = default;
};

std::vector<Notification> Taken(QSignalSpy& spy) {
    std::vector<Notification> result;
    for (const QList<QVariant>& call : spy) {
        result.push_back({call.at(0).toInt(), call.at(1).toInt()});
    }
    spy.clear();
    return result;
}

class RoundSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel_.resize(200, 200);
        knob_ = new Knob(&panel_);
        knob_->setGeometry(0, 0, 81, 81);
        panel_.show();
        knob_->RecalcGeometry();
        spy_ = std::make_unique<QSignalSpy>(knob_, &Knob::Scrolled);
    }

    // The centre of an 81-pixel control is (40, 40).
    static QPoint Centre() { return {40, 40}; }

    QWidget panel_;
    Knob* knob_ = nullptr;
    std::unique_ptr<QSignalSpy> spy_;
};

// The outermost painted pixel near the diagonal through the centre (40, 40),
// towards the upper left (side -1) or the lower right (side 1).
QColor OuterRimOnDiagonal(const QImage& image, int side) {
    const QColor background = image.pixelColor(1, 1);
    QColor outermost;
    int outermostDistance = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int dx = x - 40;
            const int dy = y - 40;
            const bool onDiagonal = dx * side > 0 && std::abs(dx - dy) <= 2;
            if (onDiagonal && image.pixelColor(x, y) != background &&
                dx * dx + dy * dy > outermostDistance) {
                outermostDistance = dx * dx + dy * dy;
                outermost = image.pixelColor(x, y);
            }
        }
    }
    return outermost;
}

}  // namespace

TEST_F(RoundSliderTest, ValueMapsToTheKnobAngle) {
    struct Case {
        int position;
        int inverted;
        int zeroAngle_deg;
        QPoint direction;  // sign of the knob's offset from the centre
    };
    const Case cases[] = {
        {0, 0, 0, {0, -1}},   {90, 0, 0, {1, 0}},  {180, 0, 0, {0, 1}},
        {270, 0, 0, {-1, 0}}, {90, 1, 0, {-1, 0}}, {0, 0, 90, {1, 0}},
    };
    for (const Case& c : cases) {
        knob_->SetInverted(c.inverted);
        knob_->SetZeroAngle(c.zeroAngle_deg);
        knob_->SetPos(c.position);
        const QPoint offset = knob_->KnobCenter() - Centre();
        const auto sign = [](int v) { return (v > 1) - (v < -1); };
        EXPECT_EQ(QPoint(sign(offset.x()), sign(offset.y())), c.direction)
            << "position " << c.position << " inverted " << c.inverted << " zero "
            << c.zeroAngle_deg;
    }
}

TEST_F(RoundSliderTest, ClicksSelectTheValueAtTheirAngle) {
    struct Case {
        int zeroAngle_deg;
        QPoint point;
        int expected;
    };
    const Case cases[] = {
        {0, {40, 10}, 0},    // exactly above the centre
        {0, {40, 70}, 180},  // exactly below
        {0, {70, 40}, 90},   // right
        {90, {70, 40}, 0},   // the zero angle turned to the right
        {90, {40, 10}, 270},
    };
    for (const Case& c : cases) {
        knob_->SetZeroAngle(c.zeroAngle_deg);
        knob_->SetPos(c.expected == 0 ? 123 : 0);
        QTest::mouseClick(knob_, Qt::LeftButton, {}, c.point);
        EXPECT_EQ(knob_->GetPos(), c.expected) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(Taken(*spy_), (std::vector<Notification>{{Knob::kThumbTrack, c.expected},
                                                           {Knob::kThumbPosition, c.expected}}));
    }
}

TEST_F(RoundSliderTest, ClicksOutsideTheCircleChangeNothing) {
    knob_->SetPos(33);
    QTest::mouseClick(knob_, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(knob_->GetPos(), 33);
    EXPECT_TRUE(Taken(*spy_).empty());
}

TEST_F(RoundSliderTest, KeysStepAndWrapBothWays) {
    struct Case {
        int start;
        Qt::Key key;
        int expected;
        int code;
    };
    const Case cases[] = {
        {0, Qt::Key_Left, 359, Knob::kLineUp},       {0, Qt::Key_Up, 359, Knob::kLineUp},
        {359, Qt::Key_Right, 0, Knob::kLineDown},    {10, Qt::Key_Down, 11, Knob::kLineDown},
        {355, Qt::Key_PageDown, 5, Knob::kPageDown}, {3, Qt::Key_PageUp, 353, Knob::kPageUp},
    };
    for (const Case& c : cases) {
        knob_->SetPos(c.start);
        QTest::keyClick(knob_, c.key);
        EXPECT_EQ(knob_->GetPos(), c.expected) << c.start;
        EXPECT_EQ(Taken(*spy_), (std::vector<Notification>{{c.code, c.expected},
                                                           {Knob::kEndScroll, c.expected}}));
    }
}

// A notch of the wheel is a press and release of Up (away from the user) or
// Down; finer wheels add up to notches.
TEST_F(RoundSliderTest, EachWheelNotchStepsOneLineAsTheKeysDo) {
    struct Case {
        int start;
        std::vector<int> angles;  // eighths of a degree, one wheel event each
        std::vector<Notification> sent;
    };
    const Case cases[] = {
        {10, {120}, {{Knob::kLineUp, 9}, {Knob::kEndScroll, 9}}},
        {10, {-120}, {{Knob::kLineDown, 11}, {Knob::kEndScroll, 11}}},
        {0, {120}, {{Knob::kLineUp, 359}, {Knob::kEndScroll, 359}}},
        {10, {60}, {}},
        {10, {60, 60}, {{Knob::kLineUp, 9}, {Knob::kEndScroll, 9}}},
        {10,
         {-240},
         {{Knob::kLineDown, 11},
          {Knob::kEndScroll, 11},
          {Knob::kLineDown, 12},
          {Knob::kEndScroll, 12}}},
    };
    for (const Case& c : cases) {
        Knob knob(&panel_);
        knob.setGeometry(0, 0, 81, 81);
        knob.SetPos(c.start);
        QSignalSpy spy(&knob, &Knob::Scrolled);
        for (int angle : c.angles) {
            QWheelEvent wheel(Centre(), knob.mapToGlobal(Centre()), QPoint(), QPoint(0, angle),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&knob, &wheel);
        }
        EXPECT_EQ(Taken(spy), c.sent) << c.start << " " << c.angles.front();
    }
}

// With no channels the panel gives the knob the range 0 ... -1 and the index
// -1: it shows 0, never -1.
TEST_F(RoundSliderTest, AnEmptyRangeRestsAtItsMinimum) {
    knob_->SetPos(5);
    knob_->SetRange(0, -1);
    EXPECT_EQ(knob_->GetPos(), 0);
    knob_->SetPos(-1);
    EXPECT_EQ(knob_->GetPos(), 0);
    EXPECT_EQ(knob_->GetDisplayText(), QStringLiteral("0\u00B0"));
}

TEST_F(RoundSliderTest, HomeEndAndAnInvertedRangeChangeNothing) {
    knob_->SetPos(17);
    QTest::keyClick(knob_, Qt::Key_Home);
    QTest::keyClick(knob_, Qt::Key_End);
    knob_->SetRange(10, 3);  // the wrap would never end
    const int before = knob_->GetPos();
    QTest::keyPress(knob_, Qt::Key_Left);
    QTest::keyPress(knob_, Qt::Key_PageDown);
    EXPECT_EQ(knob_->GetPos(), before);
    EXPECT_TRUE(Taken(*spy_).empty());
}

TEST_F(RoundSliderTest, ADragThatChangesNothingSendsNothing) {
    knob_->SetPos(0);
    QTest::mousePress(knob_, Qt::LeftButton, {}, QPoint(40, 8));
    QTest::mouseMove(knob_, QPoint(40, 12));
    QTest::mouseRelease(knob_, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(knob_->GetPos(), 0);
    EXPECT_TRUE(Taken(*spy_).empty());
}

TEST_F(RoundSliderTest, ADragSendsTrackingAndOneFinalPosition) {
    knob_->SetPos(0);
    QTest::mousePress(knob_, Qt::LeftButton, {}, QPoint(40, 8));
    QTest::mouseMove(knob_, QPoint(72, 40));
    QTest::mouseMove(knob_, QPoint(72, 40));
    QTest::mouseMove(knob_, QPoint(40, 72));
    QTest::mouseRelease(knob_, Qt::LeftButton, {}, QPoint(40, 72));
    EXPECT_EQ(Taken(*spy_),
              (std::vector<Notification>{
                  {Knob::kThumbTrack, 90}, {Knob::kThumbTrack, 180}, {Knob::kThumbPosition, 180}}));
}

TEST_F(RoundSliderTest, OnlyARealSizeChangeResetsTheValue) {
    QWidget hiddenPanel;
    auto* knob = new Knob(&hiddenPanel);
    knob->setGeometry(0, 0, 60, 60);
    knob->RecalcGeometry();
    knob->SetPos(42);
    hiddenPanel.show();  // Qt sends the first size now
    EXPECT_EQ(knob->GetPos(), 42);

    knob_->SetPos(50);
    knob_->resize(81, 81);
    EXPECT_EQ(knob_->GetPos(), 50);
    knob_->resize(90, 90);
    EXPECT_EQ(knob_->GetPos(), 0);
}

TEST_F(RoundSliderTest, DisplayTextFollowsTheFormat) {
    knob_->SetPos(7);
    EXPECT_EQ(knob_->GetDisplayText(), QString::fromUtf8("7\u00B0"));
    knob_->SetTextFormat("%ld");
    EXPECT_EQ(knob_->GetDisplayText(), "7");
    knob_->SetTextFormat("%s %ld %d");  // no argument for the others
    EXPECT_EQ(knob_->GetDisplayText(), "%s 7 %d");
}

TEST_F(RoundSliderTest, LongFontNamesAreCut) {
    knob_->SetFontName(std::string(40, 'x'));
    EXPECT_EQ(knob_->GetValueFont().family(), QString(31, 'x'));
    knob_->SetFontName("Terminal");
    knob_->SetFontSize(12);
    EXPECT_EQ(knob_->GetValueFont().pixelSize(), 12);
}

// The dial is lit from the upper left: its rim is light there and dark at
// the lower right, and the corners outside the circle keep the background.
TEST_F(RoundSliderTest, PaintsAShadedRoundDial) {
    QPalette colors = knob_->palette();
    colors.setColor(QPalette::Button, QColor(192, 192, 192));
    colors.setColor(QPalette::Light, Qt::white);
    colors.setColor(QPalette::Midlight, QColor(223, 223, 223));
    colors.setColor(QPalette::Dark, QColor(128, 128, 128));
    colors.setColor(QPalette::Shadow, Qt::black);
    knob_->setPalette(colors);
    const QImage image = knob_->grab().toImage();
    EXPECT_GT(OuterRimOnDiagonal(image, -1).lightness(), 230);
    EXPECT_LT(OuterRimOnDiagonal(image, 1).lightness(), 30);
    EXPECT_EQ(image.pixelColor(1, 1), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(79, 79), QColor(192, 192, 192));
}

TEST_F(RoundSliderTest, DisabledTextIsEmbossed) {
    knob_->SetTextFormat("%ld");
    knob_->SetFontName("Terminal");
    knob_->SetFontSize(12);
    knob_->SetPos(88);
    const auto lightPixels = [this] {
        const QImage image = knob_->grab().toImage();
        int count = 0;
        for (int y = 30; y < 50; ++y) {
            for (int x = 30; x < 50; ++x) {
                count += image.pixelColor(x, y) == knob_->palette().color(QPalette::Light);
            }
        }
        return count;
    };
    const int enabledLight = lightPixels();
    knob_->setEnabled(false);
    EXPECT_GT(lightPixels(), enabledLight);
}
