#include "controls/ScanDisplay.h"

#include <QImage>

#include <gtest/gtest.h>

#include "platform/DeviceContext.h"
#include "platform/FontMap.h"
#include "support/ChannelDialogsRig.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kDarkGreen = qRgb(0, 128, 0);
constexpr int kHeight = 74;  // a 54-pixel graph, middle row 27, over the label strip

// Without a card a step only moves the red line and the label.
QImage Render(int width, std::vector<uint32_t> found, uint32_t current_hz) {
    ScanDisplay display;
    display.resize(width, kHeight);
    display.foundFrequencies = std::move(found);
    if (current_hz != 0) {
        display.ScanStep(current_hz);
    }
    return display.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels of `color` in a row (`row` true) or a column, as their positions.
std::vector<int> Find(const QImage& image, bool row, int at, QRgb color) {
    std::vector<int> found;
    for (int i = 0; i < (row ? image.width() : image.height()); ++i) {
        if (image.pixel(row ? i : at, row ? at : i) == color) {
            found.push_back(i);
        }
    }
    return found;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> values;
    for (int v = first; v <= last; ++v) {
        values.push_back(v);
    }
    return values;
}

TEST(ScanDisplayTest, LinesStandInTheirPercentColumnsWithoutTheirEndPoints) {
    // 250 pixels: 2 per percent; 41 MHz at P = 0, 460 MHz at 50, 879 MHz at 100.
    const QImage wide = Render(250, {41'000'000, 879'000'000}, 460'000'000);
    EXPECT_EQ(Find(wide, true, 10, kGreen), (std::vector<int>{0, 200}));
    EXPECT_EQ(Find(wide, false, 200, kGreen), Range(10, 43));
    EXPECT_EQ(Find(wide, true, 5, kRed), (std::vector<int>{100}));
    EXPECT_EQ(Find(wide, false, 100, kRed), Range(0, 53));
    EXPECT_EQ(Find(wide, true, 27, kBlue).size(), 247u);  // up to x = 249, but for 3 lines
    // Below 100 pixels every column is the left edge; red is drawn last.
    const QImage narrow = Render(99, {879'000'000}, 600'000'000);
    EXPECT_EQ(Find(narrow, true, 5, kRed), (std::vector<int>{0}));
    EXPECT_EQ(Find(narrow, false, 0, kRed), Range(0, 53));
    EXPECT_EQ(Find(narrow, true, 27, kBlue), Range(1, 98));
    // Before the first step the red line lies far beyond the right edge.
    EXPECT_TRUE(Find(Render(250, {}, 0), true, 5, kRed).empty());
}

TEST(ScanDisplayTest, TheLabelShowsWholeMegahertzAtTheTopOfTheStrip) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, ""}, {41'000'000, "41 Mhz"}, {879'999'999, "879 Mhz"}, {1'234'000'000, "1,234 Mhz"}};
    for (const auto& [frequency_hz, label] : cases) {
        QImage expected(300, ScanDisplay::kLabelStrip_px, QImage::Format_RGB32);
        expected.fill(Qt::black);
        {
            DeviceContext dc(expected);
            dc.SelectFont(MapFont({"Terminal", -11, 0}));
            dc.SetBkMode(BackgroundMode::Transparent);
            dc.SetTextColor(QColor(kDarkGreen));
            dc.DrawText(label, expected.rect(), DrawTextFormat::kCenter);
        }
        const QImage strip = Render(300, {}, frequency_hz).copy(0, kHeight - 20, 300, 20);
        EXPECT_EQ(strip, expected) << label;
        EXPECT_EQ(Find(strip, true, 5, kDarkGreen).empty(), frequency_hz == 0) << label;
    }
}

}  // namespace

// A station found at a step is known when the list holds that frequency or
// one 1 MHz beside it; 2 MHz away it is new.
TEST(ScanDisplayTest, AStationOneMegahertzBesideAListedFrequencyIsNotAddedAgain) {
    ChannelDialogsRig rig;
    // The first station's carrier lies a quarter MHz above a whole MHz: that
    // step finds it.
    const auto station_hz =
        static_cast<uint32_t>(rig.emulated.StationCarrier_hz(0) / 1'000'000 * 1'000'000);
    const uint32_t mhz = 1'000'000;
    const struct {
        std::vector<uint32_t> listed;
        bool added;
    } cases[] = {
        {{}, true},
        {{station_hz}, false},
        {{station_hz - mhz}, false},
        {{station_hz + mhz}, false},
        {{station_hz - 2 * mhz}, true},
        {{station_hz + 2 * mhz}, true},
        {{station_hz + 2 * mhz, station_hz - mhz}, false},
    };
    for (const auto& c : cases) {
        ScanDisplay display;
        display.card = rig.card.get();
        display.foundFrequencies = c.listed;
        display.ScanStep(station_hz);
        std::vector<uint32_t> expected = c.listed;
        if (c.added) {
            expected.push_back(station_hz);
        }
        EXPECT_EQ(display.foundFrequencies, expected)
            << (c.listed.empty() ? 0 : int64_t{c.listed.front()} - station_hz);
    }
}
