#include "emulator/CompositeSignal.h"

#include <algorithm>
#include <cstring>

#include "emulator/FieldStructure.h"
#include "emulator/TestPicture.h"

using namespace SignalLayout;

namespace {

// Samples [first, end) of the picture area that show pixels [fromX, toX).
uint32_t FirstSample(uint32_t x) {
    return std::max(kPictureStart, kPorchStart + kPixelPhase + x * kSamplesPerPixel);
}
uint32_t EndSample(uint32_t x) {
    return x >= kPictureWidth
               ? kPictureEnd
               : std::min(kPictureEnd, kPorchStart + kPixelPhase + x * kSamplesPerPixel);
}

}  // namespace

CompositeSignal::CompositeSignal(const TestPicture& picture)
    : picture_(picture), rows_(kPictureHeight * kSamplesPerLine) {
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        std::memcpy(&rows_[y * kSamplesPerLine], FieldStructure::WholePictureLine(),
                    kSamplesPerLine);
        RenderPixels(y, kFirstPicturePixel, kPictureWidth);
    }
    TestPicture::Square square = picture_.SquareAt(0);
    for (uint32_t y = square.y; y < square.y + TestPicture::kSquareSize; ++y) {
        FillPixels(y, square.x, square.x + TestPicture::kSquareSize, picture_.SquareLevel());
    }
}

const uint8_t* CompositeSignal::Line(uint32_t line, uint32_t frame) {
    uint32_t row = FieldStructure::PictureRow(line);
    if (row == FieldStructure::kNoRow) {
        return FieldStructure::Template(line);
    }
    if (frame != shownFrame_) {
        ShowFrame(frame);
    }
    return FieldStructure::FromWholeRow(line, &rows_[row * kSamplesPerLine], halfLine_.data());
}

// Only the square moves: put the background back where it was and draw it at
// its new place.
void CompositeSignal::ShowFrame(uint32_t frame) {
    constexpr uint32_t kSize = TestPicture::kSquareSize;
    TestPicture::Square old = picture_.SquareAt(shownFrame_);
    TestPicture::Square now = picture_.SquareAt(frame);
    for (uint32_t y = old.y; y < old.y + kSize; ++y) {
        RenderPixels(y, old.x, old.x + kSize);
    }
    for (uint32_t y = now.y; y < now.y + kSize; ++y) {
        FillPixels(y, now.x, now.x + kSize, picture_.SquareLevel());
    }
    shownFrame_ = frame;
}

void CompositeSignal::RenderPixels(uint32_t y, uint32_t fromX, uint32_t toX) {
    uint8_t* row = &rows_[y * kSamplesPerLine];
    const uint8_t* levels = picture_.BackgroundRow(y);
    for (uint32_t s = FirstSample(fromX); s < EndSample(toX); ++s) {
        row[s] = levels[FieldStructure::PixelAt(s)];
    }
}

void CompositeSignal::FillPixels(uint32_t y, uint32_t fromX, uint32_t toX, uint8_t level) {
    uint32_t first = FirstSample(fromX);
    uint32_t end = EndSample(toX);
    if (end > first) {
        std::memset(&rows_[y * kSamplesPerLine + first], level, end - first);
    }
}

// Field 1's lines through the decoder's 5 : 1 decimating filter: pixel p is 4 x
// the 1-2-2-2-2-2-2-2-1 weighted mean of the picture line's samples 5p ... 5p+8,
// which is what a conversion of the noise-free signal gives (the clamp window
// lies in the line sync, at the level that gives offset 0).
std::vector<uint8_t> CompositeSignal::ReferencePicture(uint32_t frame) const {
    static constexpr int kWeights[9] = {1, 2, 2, 2, 2, 2, 2, 2, 1};
    std::vector<uint8_t> picture(kPictureWidth * kPictureHeight);
    std::vector<uint8_t> levels(kPictureWidth);
    std::array<uint8_t, kSamplesPerLine> line;
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        for (uint32_t x = 0; x < kPictureWidth; ++x) {
            levels[x] = picture_.LevelAt(x, y, frame);
        }
        FieldStructure::Compose(FieldStructure::Field1Line(y), levels.data(), line.data());
        const uint8_t* samples = line.data() + kPorchStart;
        for (uint32_t p = 0; p < kPictureWidth; ++p) {
            int sum = 0;
            for (uint32_t j = 0; j < 9; ++j) {
                sum += kWeights[j] * samples[kSamplesPerPixel * p + j];
            }
            picture[y * kPictureWidth + p] = static_cast<uint8_t>(std::min(sum >> 2, 255));
        }
    }
    return picture;
}
