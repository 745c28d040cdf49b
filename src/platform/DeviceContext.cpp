#include "platform/DeviceContext.h"

#include "platform/FontMap.h"

#include <QBrush>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

QStringList SplitLines(const QString& text, unsigned format) {
    if (format & DrawTextFormat::kSingleLine) {
        QString line = text;
        line.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        return {line};
    }
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalised.split(QLatin1Char('\n'));
}

int AlignedLeft(const QRect& rect, int width, unsigned format) {
    if (format & DrawTextFormat::kRight) {
        return rect.left() + rect.width() - width;
    }
    if (format & DrawTextFormat::kCenter) {
        return rect.left() + (rect.width() - width) / 2;
    }
    return rect.left();
}

int AlignedTop(const QRect& rect, int height, unsigned format) {
    if (!(format & DrawTextFormat::kSingleLine)) {
        return rect.top();
    }
    if (format & DrawTextFormat::kBottom) {
        return rect.top() + rect.height() - height;
    }
    if (format & DrawTextFormat::kVCenter) {
        return rect.top() + (rect.height() - height) / 2;
    }
    return rect.top();
}

}  // namespace

DeviceContext::DeviceContext() : font_(MapFont({"System", 0, 0})) {}

DeviceContext::DeviceContext(QPainter& painter) : DeviceContext() {
    painter_ = &painter;
}

DeviceContext::DeviceContext(QImage& image) : DeviceContext() {
    Begin(image);
}

DeviceContext::~DeviceContext() {
    End();
}

void DeviceContext::Begin(QPaintDevice& device) {
    ownPainter_ = std::make_unique<QPainter>(&device);
    painter_ = ownPainter_.get();
}

void DeviceContext::End() {
    if (ownPainter_) {
        ownPainter_->end();
        ownPainter_.reset();
        painter_ = nullptr;
    }
}

QColor DeviceContext::SetTextColor(const QColor& color) {
    return std::exchange(textColor_, color);
}

QColor DeviceContext::SetBkColor(const QColor& color) {
    return std::exchange(bkColor_, color);
}

BackgroundMode DeviceContext::SetBkMode(BackgroundMode mode) {
    return std::exchange(bkMode_, mode);
}

QFont DeviceContext::SelectFont(const QFont& font) {
    return std::exchange(font_, font);
}

QPen DeviceContext::SelectPen(const QPen& pen) {
    return std::exchange(pen_, pen);
}

QPoint DeviceContext::MoveTo(const QPoint& point) {
    return std::exchange(position_, point);
}

void DeviceContext::LineTo(const QPoint& point) {
    if (pen_.style() != Qt::NoPen) {
        if (pen_.width() <= 1) {
            DrawPixels(position_, point);
        } else {
            painter_->setPen(pen_);
            painter_->drawLine(position_, point);
        }
    }
    position_ = point;
}

// Bresenham's walk from `from` towards `to`, stopping before `to`: the old
// platform's lines leave out their last pixel, and the scan graph and the
// knob's neighbours rely on that to meet without overlap.
void DeviceContext::DrawPixels(const QPoint& from, const QPoint& to) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    QPoint point = from;
    const QColor color = pen_.color();
    while (point != to) {
        painter_->fillRect(QRect(point, QSize(1, 1)), color);
        const int twice = 2 * err;
        if (twice >= dy) {
            err += dy;
            point.rx() += stepX;
        }
        if (twice <= dx) {
            err += dx;
            point.ry() += stepY;
        }
    }
}

void DeviceContext::SetPixel(const QPoint& point, const QColor& color) {
    painter_->fillRect(QRect(point, QSize(1, 1)), color);
}

void DeviceContext::FillRect(const QRect& rect, const QBrush& brush) {
    painter_->fillRect(rect, brush);
}

void DeviceContext::FillSolidRect(const QRect& rect, const QColor& color) {
    painter_->fillRect(rect, color);
}

void DeviceContext::Draw3dRect(const QRect& rect, const QColor& topLeft,
                               const QColor& bottomRight) {
    const int x = rect.left();
    const int y = rect.top();
    const int cx = rect.width();
    const int cy = rect.height();
    painter_->fillRect(QRect(x, y, cx - 1, 1), topLeft);
    painter_->fillRect(QRect(x, y, 1, cy - 1), topLeft);
    painter_->fillRect(QRect(x + cx - 1, y, 1, cy), bottomRight);
    painter_->fillRect(QRect(x, y + cy - 1, cx, 1), bottomRight);
}

void DeviceContext::FillEllipse(const QRect& rect, const QBrush& brush) {
    painter_->save();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(brush);
    painter_->drawEllipse(rect);
    painter_->restore();
}

int DeviceContext::LineHeight() const {
    if (IsSymbolFont(font_)) {
        return SymbolCellSize(font_).height();
    }
    return QFontMetrics(font_, painter_ ? painter_->device() : nullptr).height();
}

int DeviceContext::TextWidth(const QString& line) const {
    if (IsSymbolFont(font_)) {
        return SymbolCellSize(font_).width() * static_cast<int>(line.size());
    }
    return QFontMetrics(font_, painter_ ? painter_->device() : nullptr).horizontalAdvance(line);
}

QSize DeviceContext::GetTextExtent(const QString& text) const {
    return {TextWidth(text), LineHeight()};
}

void DeviceContext::DrawLine(const QString& line, const QPoint& topLeft) {
    const QSize extent(TextWidth(line), LineHeight());
    if (bkMode_ == BackgroundMode::Opaque) {
        painter_->fillRect(QRect(topLeft, extent), bkColor_);
    }
    if (IsSymbolFont(font_)) {
        const QSize cell = SymbolCellSize(font_);
        for (int i = 0; i < line.size(); ++i) {
            const QRect cellRect(topLeft + QPoint(i * cell.width(), 0), cell);
            DrawSymbolGlyph(*painter_, cellRect, line.at(i).toLatin1(), textColor_);
        }
        return;
    }
    painter_->setFont(font_);
    painter_->setPen(textColor_);
    const int ascent = QFontMetrics(font_, painter_->device()).ascent();
    painter_->drawText(topLeft + QPoint(0, ascent), line);
}

int DeviceContext::DrawText(const QString& text, const QRect& rect, unsigned format) {
    const QStringList lines = SplitLines(text, format);
    const int lineHeight = LineHeight();
    painter_->save();
    if (!(format & DrawTextFormat::kNoClip)) {
        painter_->setClipRect(rect, Qt::IntersectClip);
    }
    int y = AlignedTop(rect, lineHeight, format);
    for (const QString& line : lines) {
        DrawLine(line, QPoint(AlignedLeft(rect, TextWidth(line), format), y));
        y += lineHeight;
    }
    painter_->restore();
    return lineHeight * static_cast<int>(lines.size());
}

void DeviceContext::DrawDisabledText(const QString& text, const QRect& rect,
                                     const QColor& highlight, const QColor& shadow) {
    const BackgroundMode oldMode = SetBkMode(BackgroundMode::Transparent);
    const QColor oldColor = SetTextColor(highlight);
    DrawText(text, rect.translated(1, 1), DrawTextFormat::kLeft);
    SetTextColor(shadow);
    DrawText(text, rect, DrawTextFormat::kLeft);
    SetTextColor(oldColor);
    SetBkMode(oldMode);
}
