#include "engine/FrameConverter.h"

#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The described filter, rewritten for speed with the same result:
//  - t[c-2] + 2 (t[c-1] + t[c] + t[c+1]) + t[c+2] weighs the nine samples
//    L[5p] ... L[5p+8] by 1, 2, 2, 2, 2, 2, 2, 2, 1, which is the sum of the
//    eight samples from L[5p] plus the sum of the eight from L[5p+1];
//  - for a sum S >= 0, ((S >> 1) + offset) >> 1 == (S + 2 offset) >> 2, since
//    floor(floor(x) / 2) == floor(x / 2).
// With SSE2, PSADBW against zero sums eight bytes per 64-bit lane, so two pixels
// cost four 8-byte loads and two PSADBWs; the saturating pack to unsigned bytes
// is the clamp to 0 ... 255.
namespace FrameConverter {
namespace {

using namespace RawSampleLayout;

constexpr int kBlackTarget = 1280;
constexpr int kInversionThreshold = 120;

// Twice the clamp offset of the line starting at `line`.
int DoubleOffset(const uint8_t* line) {
    const uint8_t* window = line + kClampWindowStart;
    int black = 0;
    for (int j = 0; j < kClampWindow_samples; ++j) {
        black += window[j];
    }
    return ((kBlackTarget - black) >> 4) * 2;
}

#if defined(__SSE2__)

__m128i LoadEight(const uint8_t* at) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
}

// Filter sums of the pixels whose nine samples start at `at` and at + 5, in the
// low 16 bits of the two 64-bit lanes.
__m128i PixelPairSums(const uint8_t* at) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i first = _mm_unpacklo_epi64(LoadEight(at), LoadEight(at + 5));
    const __m128i second = _mm_unpacklo_epi64(LoadEight(at + 1), LoadEight(at + 6));
    return _mm_add_epi64(_mm_sad_epu8(first, zero), _mm_sad_epu8(second, zero));
}

// Filter sums of the eight pixels whose samples start at `at`, as 16-bit lanes.
__m128i EightPixelSums(const uint8_t* at) {
    const __m128i low = _mm_packs_epi32(PixelPairSums(at), PixelPairSums(at + 10));
    const __m128i high = _mm_packs_epi32(PixelPairSums(at + 20), PixelPairSums(at + 30));
    return _mm_packs_epi32(low, high);
}

void ConvertLine(const uint8_t* line, Polarity polarity, uint8_t* row) {
    const __m128i bias = _mm_set1_epi16(static_cast<int16_t>(DoubleOffset(line)));
    const __m128i white = _mm_set1_epi16(255);
    for (int p = 0; p < FrameRecord::kWidth; p += 8) {
        __m128i v = _mm_srai_epi16(_mm_add_epi16(EightPixelSums(line + 5 * p), bias), 2);
        if (polarity == Polarity::kInverted) {
            v = _mm_sub_epi16(white, v);
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + p), _mm_packus_epi16(v, v));
    }
}
static_assert(FrameRecord::kWidth % 8 == 0);

#else

void ConvertLine(const uint8_t* line, Polarity polarity, uint8_t* row) {
    const int doubleOffset = DoubleOffset(line);
    for (int p = 0; p < FrameRecord::kWidth; ++p) {
        const uint8_t* s = line + 5 * p;
        const int sum = s[0] + 2 * (s[1] + s[2] + s[3] + s[4] + s[5] + s[6] + s[7]) + s[8];
        int v = (sum + doubleOffset) >> 2;
        if (polarity == Polarity::kInverted) {
            v = 255 - v;
        }
        row[p] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

#endif

}  // namespace

Polarity DetectPolarity(const uint8_t* samples) {
    int difference = 0;
    for (int j = 0; j < 4; ++j) {
        difference += samples[kInversionProbeLine2 + j] - samples[kInversionProbeLine0 + j];
    }
    return difference > kInversionThreshold ? Polarity::kInverted : Polarity::kNormal;
}

void Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record) {
    uint8_t* row = record.Pixels() + (FrameRecord::kHeight - 1) * FrameRecord::kRowStride_bytes;
    for (int r = 0; r < kPictureLines; ++r) {
        ConvertLine(samples + kFirstPictureLine + kLinePeriod_samples * r, polarity, row);
        row -= FrameRecord::kRowStride_bytes;
    }
}

}  // namespace FrameConverter
