#include "emulator/FieldStructure.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "emulator/SignalLayout.h"

using namespace SignalLayout;

namespace {

// What each half of a line starts with.
enum class Pulse { LineSync, Equalising, Broad, None };

enum class Content { None, SecondHalf, Whole, FirstHalf };

struct LineKind {
    Pulse first;
    Pulse second;
    Content content;
};

LineKind KindOf(uint32_t line) {
    constexpr Pulse B = Pulse::Broad;
    constexpr Pulse E = Pulse::Equalising;
    constexpr Pulse N = Pulse::None;
    switch (line) {
        case 0:
        case 1:
        case 313:
        case 314:
            return {B, B, Content::None};
        case 2:
            return {B, E, Content::None};
        case 312:
            return {E, B, Content::None};
        case 3:
        case 4:
        case 310:
        case 311:
        case 315:
        case 316:
        case 623:
        case 624:
            return {E, E, Content::None};
        case 317:
            return {E, N, Content::None};
        case 22:
            return {Pulse::LineSync, N, Content::SecondHalf};
        case 622:
            return {Pulse::LineSync, E, Content::FirstHalf};
        default:
            break;
    }
    bool picture = (line > 22 && line < 310) || (line >= 335 && line < 622);
    return {Pulse::LineSync, N, picture ? Content::Whole : Content::None};
}

uint32_t PulseLength(Pulse pulse) {
    switch (pulse) {
        case Pulse::LineSync:
            return kLineSync;
        case Pulse::Equalising:
            return kEqualisingPulse;
        case Pulse::Broad:
            return kBroadPulse;
        case Pulse::None:
            break;
    }
    return 0;
}

using LineSamples = std::array<uint8_t, kSamplesPerLine>;

// Each line is blanking with its pulses; a line that carries a picture has
// black from the porch's end to the front porch, where the picture goes.
LineSamples MakeTemplate(uint32_t line) {
    LineKind kind = KindOf(line);
    LineSamples samples;
    samples.fill(kBlankingLevel);
    if (kind.content != Content::None) {
        std::fill(samples.begin() + kPictureStart, samples.begin() + kActiveEnd, kBlackLevel);
    }
    std::fill_n(samples.begin(), PulseLength(kind.first), kSyncLevel);
    if (kind.second != Pulse::None) {
        std::fill(samples.begin() + kHalfLine, samples.end(), kBlankingLevel);
        std::fill_n(samples.begin() + kHalfLine, PulseLength(kind.second), kSyncLevel);
    }
    return samples;
}

struct Templates {
    Templates() {
        for (uint32_t line = 0; line < kLinesPerFrame; ++line) {
            lines[line] = MakeTemplate(line);
        }
    }
    std::array<LineSamples, kLinesPerFrame> lines;
};

}  // namespace

uint32_t FieldStructure::PictureRow(uint32_t line) {
    if (line >= kFirstPictureLineField1 && line < kFirstPictureLineField1 + kPictureHeight) {
        return line - kFirstPictureLineField1;
    }
    if (line >= kFirstPictureLineField2 && line < kFirstPictureLineField2 + kPictureHeight) {
        return line - kFirstPictureLineField2;
    }
    return kNoRow;
}

uint32_t FieldStructure::Field1Line(uint32_t row) {
    return kFirstPictureLineField1 + row;
}

const uint8_t* FieldStructure::Template(uint32_t line) {
    static const Templates kTemplates;
    return kTemplates.lines[line].data();
}

FieldStructure::Span FieldStructure::PictureSpan(uint32_t line) {
    switch (KindOf(line).content) {
        case Content::None:
            return {};
        case Content::SecondHalf:
            return {kHalfLine, kPictureEnd};
        case Content::FirstHalf:
            return {kPictureStart, kHalfLine};
        case Content::Whole:
            break;
    }
    return {kPictureStart, kPictureEnd};
}

void FieldStructure::Compose(uint32_t line, const uint8_t* levels, uint8_t* samples) {
    std::memcpy(samples, Template(line), kSamplesPerLine);
    Span span = PictureSpan(line);
    for (uint32_t s = span.first; s < span.end; ++s) {
        samples[s] = levels[PixelAt(s)];
    }
}

const uint8_t* FieldStructure::ComposeHalfLine(uint32_t line, const uint8_t* wholeRow,
                                               uint8_t* scratch) {
    Span span = PictureSpan(line);
    std::memcpy(scratch, Template(line), kSamplesPerLine);
    std::memcpy(scratch + span.first, wholeRow + span.first, span.end - span.first);
    return scratch;
}

const uint8_t* FieldStructure::WholePictureLine() {
    return Template(Field1Line(1));
}
