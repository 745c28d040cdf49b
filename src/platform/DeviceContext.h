#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class QBrush;
class QImage;
class QPaintDevice;
class QPainter;

// Format values of DeviceContext::DrawText, with the old platform's numbers.
namespace DrawTextFormat {
inline constexpr unsigned kLeft = 0x0;
inline constexpr unsigned kTop = 0x0;
inline constexpr unsigned kCenter = 0x1;
inline constexpr unsigned kRight = 0x2;
inline constexpr unsigned kVCenter = 0x4;  // only with kSingleLine
inline constexpr unsigned kBottom = 0x8;   // only with kSingleLine
inline constexpr unsigned kSingleLine = 0x20;
inline constexpr unsigned kNoClip = 0x100;
}  // namespace DrawTextFormat

enum class BackgroundMode { Transparent = 1, Opaque = 2 };

// A drawing context with the rules the program's painting code was written
// for, over a QPainter:
// - rectangles are QRects read as (left, top, width, height); they cover
//   width x height pixels, like the old platform's rectangles with an
//   exclusive right and bottom edge;
// - text is drawn in the text colour; in opaque mode each line's text cell is
//   first filled with the background colour, in transparent mode it is not;
// - LineTo draws from the current position up to, not including, its end
//   point, which becomes the new current position;
// - a fresh context has opaque mode, a white background, black text, a
//   black 1-pixel pen, the default sans font and the current position (0, 0).
// Only QtGui is used: a context on a QImage may live on any thread.
class DeviceContext {
public:
    // Draws through `painter`, which the caller keeps active meanwhile.
    explicit DeviceContext(QPainter& painter);
    // Draws on `image` through a painter of its own, ended with the context.
    explicit DeviceContext(QImage& image);
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    virtual ~DeviceContext();

    // Each setter returns the previous value.
    QColor SetTextColor(const QColor& color);
    QColor SetBkColor(const QColor& color);
    BackgroundMode SetBkMode(BackgroundMode mode);
    QFont SelectFont(const QFont& font);
    QPen SelectPen(const QPen& pen);
    QFont CurrentFont() const { return font_; }

    // Returns the previous current position.
    QPoint MoveTo(const QPoint& point);
    void LineTo(const QPoint& point);

    void SetPixel(const QPoint& point, const QColor& color);
    void FillRect(const QRect& rect, const QBrush& brush);
    void FillSolidRect(const QRect& rect, const QColor& color);
    // A one-pixel frame on the rectangle's edge: `topLeft` on the top and left
    // sides, `bottomRight` on the right and bottom sides (both corners where
    // they meet included).
    void Draw3dRect(const QRect& rect, const QColor& topLeft, const QColor& bottomRight);
    // Fills the ellipse inscribed in `rect` with `brush`, without an outline.
    void FillEllipse(const QRect& rect, const QBrush& brush);

    // Width of `text` in the selected font and the height of one line.
    QSize GetTextExtent(const QString& text) const;
    // Draws `text` into `rect` by `format` (DrawTextFormat values). Without
    // kSingleLine, "\n", "\r\n" and "\r" break lines and the text starts at
    // the top whatever the vertical flags say; with it, the text is one line
    // placed by kVCenter/kBottom. Clipped to `rect` unless kNoClip. Returns
    // the height of the text drawn.
    int DrawText(const QString& text, const QRect& rect, unsigned format);
    // The embossed look of disabled text: `text` in `highlight` one pixel
    // down and right, then in `shadow` at `rect`'s top left; transparent.
    void DrawDisabledText(const QString& text, const QRect& rect, const QColor& highlight,
                          const QColor& shadow);

    QPainter& Painter() { return *painter_; }

protected:
    // An unbound context; the subclass calls Begin before drawing.
    DeviceContext();
    void Begin(QPaintDevice& device);
    void End();

private:
    int LineHeight() const;
    int TextWidth(const QString& line) const;
    void DrawLine(const QString& line, const QPoint& topLeft);
    void DrawPixels(const QPoint& from, const QPoint& to);

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    QColor textColor_{Qt::black};
    QColor bkColor_{Qt::white};
    BackgroundMode bkMode_ = BackgroundMode::Opaque;
    QFont font_;
    QPen pen_{Qt::black, 1};
    QPoint position_;
};
