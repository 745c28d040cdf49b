#include "emulator/CompositeSignal.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "emulator/SignalLayout.h"
#include "emulator/TestPicture.h"

using namespace SignalLayout;

namespace {

using LineSamples = std::array<uint8_t, kSamplesPerLine>;

LineSamples MakeBlackLine() {
    LineSamples line{};
    line.fill(kBlackLevel);
    std::fill(line.begin() + kClampStart, line.begin() + kPorchStart, kClampLevel);
    std::fill(line.begin() + kEdgeStart, line.begin() + kPictureStart, kEdgeLevel);
    return line;
}

uint32_t PixelOfSample(uint32_t s) {
    return std::min((s - kPorchStart - kPixelPhase) / kSamplesPerPixel, kPictureWidth - 1);
}

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

uint32_t CompositeSignal::PictureRow(uint32_t line) {
    if (line >= kFirstPictureLineField1 && line < kFirstPictureLineField1 + kPictureHeight) {
        return line - kFirstPictureLineField1;
    }
    if (line >= kFirstPictureLineField2 && line < kFirstPictureLineField2 + kPictureHeight) {
        return line - kFirstPictureLineField2;
    }
    return kNoRow;
}

void CompositeSignal::RenderRow(const uint8_t* levels, uint8_t* line) {
    for (uint32_t s = kPictureStart; s < kPictureEnd; ++s) {
        line[s] = levels[PixelOfSample(s)];
    }
}

const uint8_t* CompositeSignal::BlackLine() {
    static const LineSamples kLine = MakeBlackLine();
    return kLine.data();
}

CompositeSignal::CompositeSignal(const TestPicture& picture)
    : picture_(picture), rows_(kPictureHeight * kSamplesPerLine) {
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        std::memcpy(&rows_[y * kSamplesPerLine], BlackLine(), kSamplesPerLine);
        RenderPixels(y, kFirstPicturePixel, kPictureWidth);
    }
    TestPicture::Square square = picture_.SquareAt(0);
    for (uint32_t y = square.y; y < square.y + TestPicture::kSquareSize; ++y) {
        FillPixels(y, square.x, square.x + TestPicture::kSquareSize, picture_.SquareLevel());
    }
}

const uint8_t* CompositeSignal::Line(uint32_t line, uint32_t frame) {
    uint32_t row = PictureRow(line);
    if (row == kNoRow) {
        return BlackLine();
    }
    if (frame != shownFrame_) {
        ShowFrame(frame);
    }
    return &rows_[row * kSamplesPerLine];
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
        uint32_t x =
            std::min((s - kPorchStart - kPixelPhase) / kSamplesPerPixel, kPictureWidth - 1);
        row[s] = levels[x];
    }
}

void CompositeSignal::FillPixels(uint32_t y, uint32_t fromX, uint32_t toX, uint8_t level) {
    uint32_t first = FirstSample(fromX);
    uint32_t end = EndSample(toX);
    if (end > first) {
        std::memset(&rows_[y * kSamplesPerLine + first], level, end - first);
    }
}

// The picture through the decoder's 5 : 1 decimating filter: pixel p is 4 x
// the 1-2-2-2-2-2-2-2-1 weighted mean of the picture line's samples 5p ... 5p+8,
// which is what a conversion of the noise-free signal gives.
std::vector<uint8_t> CompositeSignal::ReferencePicture(uint32_t frame) const {
    static constexpr int kWeights[9] = {1, 2, 2, 2, 2, 2, 2, 2, 1};
    std::vector<uint8_t> picture(kPictureWidth * kPictureHeight);
    LineSamples line;
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        std::memcpy(line.data(), BlackLine(), kSamplesPerLine);
        for (uint32_t s = kPictureStart; s < kPictureEnd; ++s) {
            uint32_t x =
                std::min((s - kPorchStart - kPixelPhase) / kSamplesPerPixel, kPictureWidth - 1);
            line[s] = picture_.LevelAt(x, y, frame);
        }
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
