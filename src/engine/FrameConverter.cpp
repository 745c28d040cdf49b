#include "engine/FrameConverter.h"

#include "engine/FrameRecord.h"
#include "engine/RawSampleLayout.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

// The filter of FrameConverter.h, rewritten for speed with the same result:
//  - t[c-2] + 2 (t[c-1] + t[c] + t[c+1]) + t[c+2] weighs the nine samples
//    L[5p] ... L[5p+8] by 1, 2, 2, 2, 2, 2, 2, 2, 1, which is the sum of the
//    eight samples from L[5p] plus the sum of the eight from L[5p+1];
//  - for a sum S >= 0, ((S >> 1) + offset) >> 1 == (S + 2 offset) >> 2, since
//    floor(floor(x) / 2) == floor(x / 2).
// With SSE2, PSADBW against zero sums eight bytes per 64-bit lane, so two pixels
// cost four 8-byte loads and two PSADBWs; the saturating pack to unsigned bytes
// is the clamp to 0 ... 255. Where the processor has AVX2 (checked once, at the
// first conversion), the same is done for four pixels at a time, with the bytes
// put into place by in-lane shuffles; it converts pixels 0 ... 351 of a line and
// leaves the last eight to the SSE2 code. The plain C++ path is built everywhere,
// so that the suite compares all three with the described arithmetic.
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

// Converts the eight pixels from `p` on.
void ConvertEight(const uint8_t* line, int p, __m128i doubleOffset, Polarity polarity,
                  uint8_t* row) {
    const uint8_t* at = line + 5 * p;
    const __m128i low = _mm_packs_epi32(PixelPairSums(at), PixelPairSums(at + 10));
    const __m128i high = _mm_packs_epi32(PixelPairSums(at + 20), PixelPairSums(at + 30));
    __m128i v = _mm_srai_epi16(_mm_add_epi16(_mm_packs_epi32(low, high), doubleOffset), 2);
    if (polarity == Polarity::kInverted) {
        v = _mm_sub_epi16(_mm_set1_epi16(255), v);
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + p), _mm_packus_epi16(v, v));
}

void ConvertLineSse2(const uint8_t* line, Polarity polarity, uint8_t* row) {
    const __m128i doubleOffset = _mm_set1_epi16(static_cast<int16_t>(DoubleOffset(line)));
    for (int p = 0; p < FrameRecord::kWidth; p += 8) {
        ConvertEight(line, p, doubleOffset, polarity, row);
    }
}
static_assert(FrameRecord::kWidth % 8 == 0);

#if defined(__x86_64__) || defined(__i386__)
#define QUORV_FRAME_CONVERTER_AVX2 1

// Filter sums of the pixels starting at `at`, at + 5 (low lane) and at `high`,
// high + 5 (high lane), in 64-bit lanes. Each lane loads 16 bytes from two
// before its first pixel, so no byte past the pixels' nine samples is read.
__attribute__((target("avx2"))) __m256i PixelQuadSums(const uint8_t* at, const uint8_t* high) {
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 2))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high - 2)), 1);
    const __m256i firstEights =
        _mm256_setr_epi8(2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9, 10, 11, 12, 13, 14,  //
                         2, 3, 4, 5, 6, 7, 8, 9, 7, 8, 9, 10, 11, 12, 13, 14);
    const __m256i secondEights = _mm256_add_epi8(firstEights, _mm256_set1_epi8(1));
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_add_epi64(_mm256_sad_epu8(_mm256_shuffle_epi8(bytes, firstEights), zero),
                            _mm256_sad_epu8(_mm256_shuffle_epi8(bytes, secondEights), zero));
}

// Converts the sixteen pixels from `p` on: pixels p ... p + 7 gather in the low
// lane, p + 8 ... p + 15 in the high lane, so the packs keep them in order.
__attribute__((target("avx2"))) void ConvertSixteen(const uint8_t* line, int p,
                                                    __m256i doubleOffset, Polarity polarity,
                                                    uint8_t* row) {
    const uint8_t* at = line + 5 * p;
    const __m256i s01 =
        _mm256_packs_epi32(PixelQuadSums(at, at + 40), PixelQuadSums(at + 10, at + 50));
    const __m256i s23 =
        _mm256_packs_epi32(PixelQuadSums(at + 20, at + 60), PixelQuadSums(at + 30, at + 70));
    __m256i v = _mm256_srai_epi16(_mm256_add_epi16(_mm256_packs_epi32(s01, s23), doubleOffset), 2);
    if (polarity == Polarity::kInverted) {
        v = _mm256_sub_epi16(_mm256_set1_epi16(255), v);
    }
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0b1000);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + p), _mm256_castsi256_si128(bytes));
}

__attribute__((target("avx2"))) void ConvertLineAvx2(const uint8_t* line, Polarity polarity,
                                                     uint8_t* row) {
    const int doubleOffset = DoubleOffset(line);
    const __m256i doubleOffsets = _mm256_set1_epi16(static_cast<int16_t>(doubleOffset));
    int p = 0;
    for (; p + 16 <= FrameRecord::kWidth; p += 16) {
        ConvertSixteen(line, p, doubleOffsets, polarity, row);
    }
    ConvertEight(line, p, _mm_set1_epi16(static_cast<int16_t>(doubleOffset)), polarity, row);
}
static_assert(FrameRecord::kWidth % 16 == 8);

#endif

#endif

void ConvertLinePortable(const uint8_t* line, Polarity polarity, uint8_t* row) {
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

using LineConverter = void (*)(const uint8_t* line, Polarity polarity, uint8_t* row);

// Null for a path this build or this processor lacks.
LineConverter LineConverterFor(Path path) {
    switch (path) {
        case Path::kAvx2:
#if defined(QUORV_FRAME_CONVERTER_AVX2)
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2") ? ConvertLineAvx2 : nullptr;
#else
            return nullptr;
#endif
        case Path::kSse2:
#if defined(__SSE2__)
            return ConvertLineSse2;
#else
            return nullptr;
#endif
        case Path::kPortable:
            return ConvertLinePortable;
    }
    return nullptr;
}

LineConverter FastestLineConverter() {
    for (Path path : {Path::kAvx2, Path::kSse2}) {
        if (LineConverter converter = LineConverterFor(path)) {
            return converter;
        }
    }
    return ConvertLinePortable;
}

void ConvertLines(const uint8_t* samples, Polarity polarity, FrameRecord& record,
                  LineConverter convertLine) {
    uint8_t* row = record.Pixels() + (FrameRecord::kHeight - 1) * FrameRecord::kRowStride_bytes;
    for (int r = 0; r < kPictureLines; ++r) {
        convertLine(samples + kFirstPictureLine + kLinePeriod_samples * r, polarity, row);
        row -= FrameRecord::kRowStride_bytes;
    }
}

}  // namespace

Polarity DetectPolarity(const uint8_t* samples) {
    int difference = 0;
    for (int j = 0; j < 4; ++j) {
        difference += samples[kInversionProbeLine2 + j] - samples[kInversionProbeLine0 + j];
    }
    return difference > kInversionThreshold ? Polarity::kInverted : Polarity::kNormal;
}

void Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record) {
    static const LineConverter convertLine = FastestLineConverter();
    ConvertLines(samples, polarity, record, convertLine);
}

bool IsAvailable(Path path) {
    return LineConverterFor(path) != nullptr;
}

bool Convert(const uint8_t* samples, Polarity polarity, FrameRecord& record, Path path) {
    const LineConverter convertLine = LineConverterFor(path);
    if (convertLine == nullptr) {
        return false;
    }
    ConvertLines(samples, polarity, record, convertLine);
    return true;
}

}  // namespace FrameConverter
