#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// What frame k of a writing stretch must show, from what arrived when: the
// picture that arrived in [k × 50 ms, (k + 1) × 50 ms), or the last one before
// when nothing did (-1 when there was none yet). `arrivals` are (ms since
// writing began, picture number), in order of arrival.
inline std::vector<int> PicturesOfTheirTime(const std::vector<std::pair<uint32_t, int>>& arrivals,
                                            int frames) {
    std::vector<int> pictures;
    for (int k = 0; k < frames; ++k) {
        const uint32_t due_ms = 50 * static_cast<uint32_t>(k);
        int picture = -1;
        for (const auto& [at_ms, number] : arrivals) {
            if (at_ms >= due_ms + 50) {
                break;
            }
            picture = number;
            if (at_ms >= due_ms) {
                break;
            }
        }
        pictures.push_back(picture);
    }
    return pictures;
}
