#include "controls/ScanDisplay.h"

#include <QImage>

#include <gtest/gtest.h>

#include "platform/DeviceContext.h"
#include "platform/FontMap.h"

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kDarkGreen = qRgb(0, 128, 0);

// Without a card a step only moves the red line and the label.
QImage Render(int width, int height, std::vector<uint32_t> found, uint32_t current_hz) {
    ScanDisplay display;
    display.resize(width, height);
    display.foundFrequencies = std::move(found);
    if (current_hz != 0) {
        display.ScanStep(current_hz);
    }
    return display.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The x of every pixel of `color` in row `y`.
std::vector<int> ColumnsOf(const QImage& image, int y, QRgb color) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == color) {
            columns.push_back(x);
        }
    }
    return columns;
}

// The rows [first, last] in which column `x` has `color`, or {-1, -1}.
std::pair<int, int> RowsOf(const QImage& image, int x, QRgb color) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == color) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    return {first, last};
}

QImage Strip(const QImage& image) {
    return image.copy(0, image.height() - ScanDisplay::kLabelStrip_px, image.width(),
                      ScanDisplay::kLabelStrip_px);
}

// The label as the display is meant to draw it: dark green Terminal text,
// centred at the top of a black strip.
QImage ExpectedStrip(int width, const char* text) {
    QImage strip(width, ScanDisplay::kLabelStrip_px, QImage::Format_RGB32);
    strip.fill(Qt::black);
    {
        DeviceContext dc(strip);
        dc.SelectFont(MapFont({"Terminal", -11, 0}));
        dc.SetBkMode(BackgroundMode::Transparent);
        dc.SetTextColor(QColor(kDarkGreen));
        dc.DrawText(QString::fromLatin1(text), strip.rect(),
                    DrawTextFormat::kCenter | DrawTextFormat::kVCenter);
    }
    return strip;
}

// 250 x 74: a 54-pixel graph (middle row 27) and steps of 2 pixels per percent.
TEST(ScanDisplayTest, LinesStandInTheirPercentColumnsWithoutTheirEndPoints) {
    const QImage image = Render(250, 74, {41'000'000, 879'000'000, 460'000'000}, 460'000'000);
    EXPECT_EQ(ColumnsOf(image, 10, kGreen), (std::vector<int>{0, 200}));
    EXPECT_EQ(RowsOf(image, 0, kGreen), (std::pair{10, 43}));
    EXPECT_EQ(RowsOf(image, 200, kGreen), (std::pair{10, 43}));
    EXPECT_EQ(ColumnsOf(image, 5, kRed), (std::vector<int>{100}));  // P(460 MHz) = 50
    EXPECT_EQ(RowsOf(image, 100, kRed), (std::pair{0, 53}));
    EXPECT_EQ(ColumnsOf(image, 27, kBlue).size(), 247u);  // all but the three other lines
    EXPECT_EQ(image.pixel(249, 27), kBlue);
    EXPECT_EQ(image.pixel(1, 28), kBlack);
}

TEST(ScanDisplayTest, ANarrowControlDrawsEveryLineAtItsLeftEdge) {
    const QImage image = Render(99, 74, {41'000'000, 879'000'000}, 600'000'000);
    EXPECT_EQ(ColumnsOf(image, 5, kRed), (std::vector<int>{0}));
    EXPECT_EQ(RowsOf(image, 0, kRed), (std::pair{0, 53}));
    EXPECT_TRUE(ColumnsOf(image, 10, kGreen).empty());  // the red line covers them
    EXPECT_EQ(ColumnsOf(image, 27, kBlue).size(), 98u);
}

TEST(ScanDisplayTest, TheLabelShowsTheWholeMegahertzAtTheTopOfTheStrip) {
    struct Case {
        uint32_t frequency_hz;
        const char* label;
    };
    const Case cases[] = {
        {41'000'000, "41 Mhz"},
        {879'999'999, "879 Mhz"},
        {1'234'000'000, "1,234 Mhz"},
    };
    for (const Case& c : cases) {
        const QImage strip = Strip(Render(300, 74, {}, c.frequency_hz));
        EXPECT_EQ(strip, ExpectedStrip(300, c.label)) << c.label;
        EXPECT_FALSE(ColumnsOf(strip, 5, kDarkGreen).empty()) << c.label;
        EXPECT_TRUE(ColumnsOf(strip, 19, kDarkGreen).empty()) << c.label;
    }
}

TEST(ScanDisplayTest, BeforeTheFirstStepThereIsNoRedLineAndNoLabel) {
    const QImage image = Render(250, 74, {}, 0);
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_TRUE(ColumnsOf(image, y, kRed).empty()) << y;
        EXPECT_TRUE(ColumnsOf(image, y, kDarkGreen).empty()) << y;
    }
    EXPECT_EQ(Strip(image), ExpectedStrip(250, ""));
}

}  // namespace
