#include "platform/FontMap.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>

#include <algorithm>

namespace {

constexpr const char* kMonospaceFace = "DejaVu Sans Mono";
constexpr const char* kSansFace = "DejaVu Sans";
// Never a real family: marks a font whose characters are painted as shapes.
constexpr const char* kSymbolFamily = "Quorv WebDings Shapes";
constexpr int kDefaultHeight_px = 13;
constexpr int kBoldWeight = 700;

bool SameFace(const std::string& face, const char* name) {
    return QString::fromStdString(face).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QFont FaceFor(const std::string& faceName) {
    QFont font;
    if (SameFace(faceName, "Terminal")) {
        font.setFamily(kMonospaceFace);
        font.setStyleHint(QFont::Monospace, QFont::NoAntialias);
    } else if (SameFace(faceName, "WebDings")) {
        font.setFamily(kSymbolFamily);
    } else if (faceName.empty() || SameFace(faceName, "Small Fonts") ||
               SameFace(faceName, "MS Sans Serif") || SameFace(faceName, "System")) {
        font.setFamily(kSansFace);
    } else {
        font.setFamily(QString::fromStdString(faceName.substr(0, kMaxFaceNameLength)));
    }
    return font;
}

// A positive height asks for the whole cell; scale the pixel size so that
// ascent + descent come out at that height.
int PixelSizeForCell(const QFont& font, int cell_px) {
    QFont probe = font;
    probe.setPixelSize(cell_px);
    const int measured = QFontMetrics(probe).height();
    if (measured <= cell_px || measured == 0) {
        return cell_px;
    }
    return std::max(1, cell_px * cell_px / measured);
}

}  // namespace

QFont MapFont(const LogicalFont& request) {
    QFont font = FaceFor(request.faceName);
    if (request.height < 0) {
        font.setPixelSize(-request.height);
    } else if (request.height > 0) {
        font.setPixelSize(IsSymbolFont(font) ? request.height
                                             : PixelSizeForCell(font, request.height));
    } else {
        font.setPixelSize(kDefaultHeight_px);
    }
    if (request.weight >= kBoldWeight) {
        font.setWeight(QFont::Bold);
    }
    return font;
}

QFont MapPointFont(const std::string& faceName, int size_pt) {
    QFont font = FaceFor(faceName);
    font.setPointSize(size_pt);
    return font;
}

bool IsSymbolFont(const QFont& font) {
    return font.family() == QLatin1String(kSymbolFamily);
}

QSize SymbolCellSize(const QFont& font) {
    const int size = font.pixelSize() > 0 ? font.pixelSize() : kDefaultHeight_px;
    return {size, size};
}

void DrawSymbolGlyph(QPainter& painter, const QRect& cell, char glyph, const QColor& color) {
    const int size = std::min(cell.width(), cell.height());
    if (size <= 0) {
        return;
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int inset = size / 8;
    if (glyph == '=') {
        painter.drawEllipse(
            QRectF(cell.left() + inset, cell.top() + inset, size - 2 * inset, size - 2 * inset));
    } else if (glyph == ';') {
        const int barWidth = size / 4;
        const int barHeight = size - 2 * inset;
        painter.fillRect(
            QRect(cell.left() + size * 3 / 16, cell.top() + inset, barWidth, barHeight), color);
        painter.fillRect(
            QRect(cell.left() + size * 9 / 16, cell.top() + inset, barWidth, barHeight), color);
    }
    painter.restore();
}
