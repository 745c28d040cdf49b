#pragma once

#include <QFont>
#include <QSize>

#include <string>

class QColor;
class QPainter;
class QRect;

// A font request as the drawing code makes it, in the terms of the old
// platform: a face name and a height in pixels, negative for the character
// height, positive for the cell height (ascent + descent), 0 for the default.
struct LogicalFont {
    std::string faceName;
    int height = 0;
    int weight = 0;  // 0 = don't care, 700 = bold
};

// The longest face name a font request holds; longer names are cut.
inline constexpr int kMaxFaceNameLength = 31;

// Faces the program asks for and what stands in for them:
//   "Terminal"                       -> DejaVu Sans Mono, not anti-aliased (a bitmap face)
//   "Small Fonts", "MS Sans Serif",
//   "System", ""                     -> DejaVu Sans
//   "WebDings"                       -> a symbol font whose glyphs DrawSymbolGlyph paints
// Any other face is asked of the font database as it stands.
QFont MapFont(const LogicalFont& request);

// A face at a size in points, as dialog templates give it ("Small Fonts" 7 pt).
QFont MapPointFont(const std::string& faceName, int size_pt);

// True for the fonts MapFont returns for "WebDings": their text is not set
// with glyphs from a file but painted by DrawSymbolGlyph.
bool IsSymbolFont(const QFont& font);

// The cell one symbol character takes: a square of the font's pixel size.
QSize SymbolCellSize(const QFont& font);

// Paints the symbol glyph `glyph` into `cell` in `color`: '=' (0x3D) is the
// filled record circle, ';' (0x3B) the two pause bars. Other characters paint
// nothing. Safe on any thread for a painter on a QImage.
void DrawSymbolGlyph(QPainter& painter, const QRect& cell, char glyph, const QColor& color);
