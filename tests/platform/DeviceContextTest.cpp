#include "platform/DeviceContext.h"
#include "platform/FontMap.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>
#include <thread>

namespace {

const QColor kCanvas(0, 0, 0);
const QColor kInk(255, 255, 255);
const QColor kCell(0, 0, 255);

QImage Canvas(int width = 240, int height = 80) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kCanvas);
    return image;
}

// Smallest rectangle holding every pixel of `color` (every pixel that is not
// the canvas when `color` is the canvas colour), or an empty one.
QRect BoundsOf(const QImage& image, const QColor& color) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (color == kCanvas ? pixel != kCanvas : pixel == color) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

QRect InkBounds(const QImage& image) {
    return BoundsOf(image, kCanvas);
}

QFont TerminalFont() {
    return MapFont({"Terminal", -11, 0});
}

}  // namespace

TEST(DeviceContextTest, LinesLeaveOutTheirEndPoint) {
    struct Case {
        QPoint from;
        QPoint to;
        QRect expected;
    };
    const Case cases[] = {
        {{2, 5}, {12, 5}, QRect(2, 5, 10, 1)},  // left to right
        {{12, 5}, {2, 5}, QRect(3, 5, 10, 1)},  // right to left
        {{4, 1}, {4, 30}, QRect(4, 1, 1, 29)},  // downwards
        {{0, 0}, {6, 6}, QRect(0, 0, 6, 6)},    // diagonal
        {{7, 7}, {7, 7}, QRect()},              // a point: nothing
    };
    for (const Case& c : cases) {
        QImage image = Canvas(40, 40);
        {
            DeviceContext dc(image);
            dc.SelectPen(QPen(kInk, 1));
            dc.MoveTo(c.from);
            dc.LineTo(c.to);
        }
        EXPECT_EQ(InkBounds(image), c.expected) << c.from.x() << "," << c.from.y();
        EXPECT_NE(image.pixelColor(c.to), kInk);
    }
}

TEST(DeviceContextTest, DrawTextPlacesTheTextCellByFormat) {
    const QRect box(20, 10, 200, 60);
    QImage probe = Canvas();
    DeviceContext measure(probe);
    measure.SelectFont(TerminalFont());
    const QSize cell = measure.GetTextExtent("Mhz");
    ASSERT_GT(cell.width(), 0);

    struct Case {
        unsigned format;
        QPoint topLeft;
    };
    const int centreX = box.left() + (box.width() - cell.width()) / 2;
    const Case cases[] = {
        {0x00, {box.left(), box.top()}},
        {0x02, {box.left() + box.width() - cell.width(), box.top()}},
        {0x05, {centreX, box.top()}},  // vertical centre needs single-line
        {0x25, {centreX, box.top() + (box.height() - cell.height()) / 2}},
        {0x28, {box.left(), box.top() + box.height() - cell.height()}},
    };
    for (const Case& c : cases) {
        QImage image = Canvas();
        {
            DeviceContext dc(image);
            dc.SelectFont(TerminalFont());
            dc.SetBkColor(kCell);
            dc.SetTextColor(kInk);
            EXPECT_EQ(dc.DrawText("Mhz", box, c.format), cell.height());
        }
        EXPECT_EQ(BoundsOf(image, kCell) | BoundsOf(image, kInk), QRect(c.topLeft, cell))
            << "format " << c.format;
    }
}

// The painted text cells of one DrawText call in opaque mode.
QRect CellsOf(const QString& text, unsigned format, BackgroundMode mode = BackgroundMode::Opaque) {
    QImage image = Canvas();
    {
        DeviceContext dc(image);
        dc.SelectFont(TerminalFont());
        dc.SetBkMode(mode);
        dc.SetBkColor(kCell);
        dc.SetTextColor(kInk);
        dc.DrawText(text, QRect(5, 5, 200, 60), format);
    }
    return BoundsOf(image, kCell);
}

TEST(DeviceContextTest, LineBreaksTransparencyAndClipping) {
    QImage probe = Canvas();
    DeviceContext measure(probe);
    measure.SelectFont(TerminalFont());
    const int lineHeight = measure.GetTextExtent("ab").height();
    const int wide = measure.GetTextExtent("abcd").width();

    EXPECT_EQ(CellsOf("ab\ncd", 0).height(), 2 * lineHeight);
    EXPECT_EQ(CellsOf("ab\r\ncd", 0).height(), 2 * lineHeight);
    EXPECT_EQ(CellsOf("ab\ncd", DrawTextFormat::kSingleLine), QRect(5, 5, wide, lineHeight));
    EXPECT_TRUE(CellsOf("ab", 0, BackgroundMode::Transparent).isEmpty());
    const QString longLine(80, QLatin1Char('m'));
    EXPECT_EQ(CellsOf(longLine, 0).right(), 204);  // clipped to the rectangle
    EXPECT_GT(CellsOf(longLine, DrawTextFormat::kNoClip).right(), 204);
}

TEST(DeviceContextTest, SymbolFontDrawsTheRecordCircleAndThePauseBars) {
    const QFont symbols = MapFont({"WebDings", -16, 700});
    ASSERT_TRUE(IsSymbolFont(symbols));
    const QRect box(10, 10, 100, 50);
    const QRect cell(box.right() + 1 - 16, box.top(), 16, 16);  // right-aligned, top
    for (const char* glyph : {"=", ";"}) {
        QImage image = Canvas(120, 70);
        {
            DeviceContext dc(image);
            dc.SelectFont(symbols);
            dc.SetBkMode(BackgroundMode::Transparent);
            dc.SetTextColor(QColor(255, 0, 0));
            dc.DrawText(glyph, box, DrawTextFormat::kRight);
        }
        const QRect ink = InkBounds(image);
        EXPECT_TRUE(cell.contains(ink)) << glyph;
        EXPECT_GE(ink.width(), 8) << glyph;
        EXPECT_GE(ink.height(), 10) << glyph;
        const QColor middle = image.pixelColor(cell.center());
        // The circle is solid in the middle; between the two bars is a gap.
        EXPECT_EQ(middle.red() > 200, glyph[0] == '=') << glyph;
    }
}

TEST(DeviceContextTest, DrawsOnAnImageFromAnotherThread) {
    QImage image = Canvas();
    std::thread worker([&image] {
        DeviceContext dc(image);
        dc.SelectFont(TerminalFont());
        dc.SetBkColor(kCell);
        dc.SetTextColor(kInk);
        dc.DrawText("frame thread", QRect(0, 0, 240, 80), DrawTextFormat::kLeft);
    });
    worker.join();
    EXPECT_FALSE(BoundsOf(image, kInk).isEmpty());
}

TEST(FontMapTest, FacesStandInForTheOldOnes) {
    const QFont terminal = MapFont({"Terminal", -12, 0});
    EXPECT_EQ(QFontInfo(terminal).family(), "DejaVu Sans Mono");
    EXPECT_TRUE(QFontInfo(terminal).fixedPitch());
    EXPECT_EQ(terminal.pixelSize(), 12);

    const QFont dialog = MapPointFont("Small Fonts", 7);
    EXPECT_EQ(QFontInfo(dialog).family(), "DejaVu Sans");
    EXPECT_EQ(dialog.pointSize(), 7);

    // A positive height is the whole cell.
    EXPECT_LE(QFontMetrics(MapFont({"Terminal", 16, 0})).height(), 16);
    EXPECT_FALSE(IsSymbolFont(terminal));
}
