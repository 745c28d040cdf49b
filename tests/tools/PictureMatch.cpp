#include "tools/PictureMatch.h"

#include <algorithm>
#include <cmath>

PictureMatch::PictureMatch(std::vector<uint8_t> reference) : reference_(std::move(reference)) {}

PictureMatch::Result PictureMatch::Match(const std::vector<uint8_t>& picture) const {
    Result best{-1.0, 0};
    for (int shift = -kLargestShift_rows; shift <= kLargestShift_rows; ++shift) {
        const double psnr_db = Psnr(picture, shift);
        if (psnr_db > best.psnr_db) {
            best = {psnr_db, shift};
        }
    }
    return best;
}

// Over the rows both pictures have at this shift; 99 dB for identical ones.
double PictureMatch::Psnr(const std::vector<uint8_t>& picture, int shift_rows) const {
    double sum = 0;
    long count = 0;
    for (int row = std::max(0, shift_rows); row < kHeight + std::min(0, shift_rows); ++row) {
        const uint8_t* got = &picture[row * kWidth];
        const uint8_t* want = &reference_[(row - shift_rows) * kWidth];
        for (int column = kFirstPictureColumn; column < kWidth; ++column, ++count) {
            const double difference = double(got[column]) - double(want[column]);
            sum += difference * difference;
        }
    }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * count / sum);
}
