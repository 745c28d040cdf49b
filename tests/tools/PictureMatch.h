#pragma once

#include <cstdint>
#include <vector>

// How closely a received 360 x 288 grey picture (top row first) matches a
// reference picture, aligned as the engine tests align: the emulated chip's
// vertical timing runs free, so the picture may sit a few rows off the
// reference, while the horizontal lock holds it sideways. Columns left of
// kFirstPictureColumn hold sync, clamp level and lock edge and are left out.
class PictureMatch {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 288;
    static constexpr int kFirstPictureColumn = 16;
    static constexpr int kLargestShift_rows = 8;

    struct Result {
        double psnr_db;
        int shift_rows;  // the picture sits this many rows below the reference
    };

    explicit PictureMatch(std::vector<uint8_t> reference);

    // The best PSNR over shifts of up to kLargestShift_rows either way.
    Result Match(const std::vector<uint8_t>& picture) const;

private:
    double Psnr(const std::vector<uint8_t>& picture, int shift_rows) const;

    std::vector<uint8_t> reference_;
};
