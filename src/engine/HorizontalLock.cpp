#include "engine/HorizontalLock.h"

#include <array>

#include "engine/RawSampleLayout.h"

namespace HorizontalLock {
namespace {

constexpr int kEdgeThreshold = 200;

struct Band {
    int lastEdge;
    int32_t correction_hz;
};

constexpr std::array<Band, 7> kBands{{
    {7, 40},
    {15, 60},
    {28, 20},
    {35, 0},
    {48, -20},
    {56, -60},
    {kNoEdge, -40},
}};

}  // namespace

int FindEdge(const uint8_t* samples) {
    const uint8_t* s = samples + RawSampleLayout::kLockSearchStart;
    for (int i = 0; i < RawSampleLayout::kLockSearchPositions; ++i) {
        if (s[i] + s[i + 1] + s[i + 2] + s[i + 3] >= kEdgeThreshold) {
            return i;
        }
    }
    return kNoEdge;
}

int32_t Correction_hz(int edge) {
    for (const Band& band : kBands) {
        if (edge <= band.lastEdge) {
            return band.correction_hz;
        }
    }
    return kBands.back().correction_hz;
}

int32_t CorrectedFrequency_hz(const uint8_t* samples, int32_t hAdjust_hz) {
    return hAdjust_hz + Correction_hz(FindEdge(samples));
}

}  // namespace HorizontalLock
