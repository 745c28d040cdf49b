#include "emulator/TestPicture.h"

#include <cstring>

#include "emulator/SignalLayout.h"

using namespace SignalLayout;

namespace {

constexpr uint32_t kGlyphWidth = 5;
constexpr uint32_t kGlyphHeight = 7;
constexpr uint32_t kGlyphScale = 4;
constexpr uint32_t kGlyphAdvance = (kGlyphWidth + 1) * kGlyphScale;
constexpr uint32_t kNameTop = 120;
constexpr uint32_t kNameMargin = 6;

// A 5 x 7 font: each row's bits 4..0 are the pixels left to right.
struct Glyph {
    char letter;
    uint8_t rows[kGlyphHeight];
};

constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
};

const Glyph* FindGlyph(char letter) {
    for (const Glyph& glyph : kFont) {
        if (glyph.letter == letter) {
            return &glyph;
        }
    }
    return nullptr;
}

uint8_t Grey(uint32_t step, uint32_t steps) {
    return static_cast<uint8_t>(kBlackLevel + (kWhiteLevel - kBlackLevel) * step / (steps - 1));
}

// Folds a running coordinate into 0 ... range and back, for the bounce.
uint32_t Bounce(uint32_t travel, uint32_t range) {
    uint32_t phase = travel % (2 * range);
    return phase < range ? phase : 2 * range - phase;
}

uint8_t PatternLevel(TestPicture::Pattern pattern, uint32_t x, uint32_t y) {
    switch (pattern) {
        case TestPicture::Pattern::VerticalBars:
            return Grey((x - kFirstPicturePixel) * 8 / (kPictureWidth - kFirstPicturePixel), 8);
        case TestPicture::Pattern::HorizontalBars:
            return Grey(y * 6 / kPictureHeight, 6);
        case TestPicture::Pattern::Checkerboard:
            return ((x / 24 + y / 24) & 1) ? kWhiteLevel : kBlackLevel;
        case TestPicture::Pattern::Diagonal:
            return Grey(((x + y) / 12) % 4, 4);
        case TestPicture::Pattern::Rings: {
            int32_t dx = static_cast<int32_t>(x) - 186;
            int32_t dy = static_cast<int32_t>(y) - 144;
            return ((dx * dx + dy * dy) / 600) & 1 ? kWhiteLevel : Grey(1, 3);
        }
        case TestPicture::Pattern::Grid:
            return (x % 30 < 2 || y % 30 < 2) ? kWhiteLevel : Grey(1, 4);
    }
    return kBlackLevel;
}

}  // namespace

TestPicture::TestPicture(std::string name, Pattern pattern, uint32_t speed)
    : name_(std::move(name)),
      speed_(speed),
      squareLevel_(speed % 2 ? kWhiteLevel : kBlackLevel),
      levels_(kPictureWidth * kPictureHeight, kBlackLevel) {
    DrawPattern(pattern);
    DrawName();
}

const uint8_t* TestPicture::BackgroundRow(uint32_t y) const {
    return levels_.data() + y * kPictureWidth;
}

TestPicture::Square TestPicture::SquareAt(uint32_t frame) const {
    uint32_t rangeX = kPictureWidth - kFirstPicturePixel - kSquareSize;
    uint32_t rangeY = kPictureHeight - kSquareSize;
    return {kFirstPicturePixel + Bounce(frame * speed_, rangeX),
            Bounce(frame * (speed_ + 1) / 2, rangeY)};
}

uint8_t TestPicture::LevelAt(uint32_t x, uint32_t y, uint32_t frame) const {
    Square square = SquareAt(frame);
    if (x >= square.x && x < square.x + kSquareSize && y >= square.y &&
        y < square.y + kSquareSize) {
        return squareLevel_;
    }
    return levels_[y * kPictureWidth + x];
}

void TestPicture::DrawPattern(Pattern pattern) {
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        for (uint32_t x = kFirstPicturePixel; x < kPictureWidth; ++x) {
            levels_[y * kPictureWidth + x] = PatternLevel(pattern, x, y);
        }
    }
}

// White letters on a black band across the middle of the picture.
void TestPicture::DrawName() {
    uint32_t width = static_cast<uint32_t>(name_.size()) * kGlyphAdvance;
    uint32_t space = kPictureWidth - kFirstPicturePixel;
    uint32_t left = kFirstPicturePixel + (width < space ? (space - width) / 2 : 0);
    uint32_t bandHeight = kGlyphHeight * kGlyphScale + 2 * kNameMargin;
    for (uint32_t y = kNameTop - kNameMargin; y < kNameTop - kNameMargin + bandHeight; ++y) {
        std::memset(&levels_[y * kPictureWidth + kFirstPicturePixel], kBlackLevel, space);
    }
    for (char letter : name_) {
        if (left + kGlyphAdvance > kPictureWidth) {
            break;
        }
        DrawGlyph(letter, left, kNameTop);
        left += kGlyphAdvance;
    }
}

void TestPicture::DrawGlyph(char letter, uint32_t left, uint32_t top) {
    const Glyph* glyph = FindGlyph(letter);
    if (glyph == nullptr) {
        return;
    }
    for (uint32_t y = 0; y < kGlyphHeight * kGlyphScale; ++y) {
        uint8_t bits = glyph->rows[y / kGlyphScale];
        for (uint32_t x = 0; x < kGlyphWidth * kGlyphScale; ++x) {
            if (bits & (0x10 >> (x / kGlyphScale))) {
                levels_[(top + y) * kPictureWidth + left + x] = kWhiteLevel;
            }
        }
    }
}
