#pragma once

#include <cstdint>
#include <vector>

// A frame record laid out as the engine builds it (bitmap header, grey
// palette, bottom-up pixels), with a picture that changes with each frame.
class RecorderTestFrame {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 288;
    static constexpr size_t kFormatBytes = 1064;
    static constexpr size_t kPixelBytes = size_t{kWidth} * kHeight;

    RecorderTestFrame() : record_(kFormatBytes + kPixelBytes) {
        const uint32_t header[10] = {40,          kWidth, kHeight, 1 | 8u << 16, 0,
                                     kPixelBytes, 0,      0,       256,          0};
        for (int word = 0; word < 10; ++word) {
            PutLe32(word * 4, header[word]);
        }
        for (int entry = 0; entry < 256; ++entry) {
            PutLe32(40 + entry * 4, uint32_t(entry) * 0x010101u);
        }
    }

    // Fills the picture for frame `index`: a ramp that moves with the index,
    // and the index itself in the first two pixels of the bottom line.
    void Paint(int index) {
        uint8_t* pixels = record_.data() + kFormatBytes;
        for (int row = 0; row < kHeight; ++row) {
            for (int x = 0; x < kWidth; ++x) {
                pixels[row * kWidth + x] = static_cast<uint8_t>(x + 3 * row + 7 * index);
            }
        }
        pixels[0] = static_cast<uint8_t>(index);
        pixels[1] = static_cast<uint8_t>(index >> 8);
    }

    // The index Paint put into a decoded (top-down) picture.
    static int IndexOf(const uint8_t* topDownPixels) {
        const uint8_t* bottomLine = topDownPixels + (kHeight - 1) * kWidth;
        return bottomLine[0] | bottomLine[1] << 8;
    }

    const uint8_t* Record() const { return record_.data(); }
    const uint8_t* Pixels() const { return record_.data() + kFormatBytes; }

    // The picture as a decoder returns it: top line first.
    std::vector<uint8_t> TopDownPixels() const {
        std::vector<uint8_t> topDown(kPixelBytes);
        for (int row = 0; row < kHeight; ++row) {
            const uint8_t* source = Pixels() + (kHeight - 1 - row) * kWidth;
            std::copy(source, source + kWidth, topDown.begin() + row * kWidth);
        }
        return topDown;
    }

private:
    void PutLe32(size_t at, uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            record_[at++] = static_cast<uint8_t>(value >> shift);
        }
    }

    std::vector<uint8_t> record_;
};
