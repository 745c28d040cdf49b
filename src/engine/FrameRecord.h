#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Bitmap information header in the layout of the Windows device-independent
// bitmap, as AVI stream formats carry it. All fields little-endian.
struct BitmapInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;  // positive: rows stored bottom-up
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};

// One palette entry, in the bitmap's byte order.
struct PaletteEntry {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

// The picture: one zero-filled block laid out as a bottom-up 360 x 288, 8-bit
// grey-scale device-independent bitmap with its header in front:
//   bytes 0 ... 39         BitmapInfoHeader
//   bytes 40 ... 1063      256 palette entries, entry i = (i, i, i, 0)
//   bytes 1064 ... 104743  288 rows of 360 pixels; the first stored row is the
//                          bottom line of the picture
// The first 1,064 bytes are the stream format the recorder writes.
//
// The block is allocated once, in the constructor, and reused for every frame.
// Not thread-safe: its owner (the engine) guards it with its own lock.
class FrameRecord {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 288;
    static constexpr int kPaletteEntries = 256;
    static constexpr size_t kFormatSize_bytes =
        sizeof(BitmapInfoHeader) + kPaletteEntries * sizeof(PaletteEntry);
    static constexpr size_t kRowStride_bytes = 360;
    static constexpr size_t kPixelsSize_bytes = kRowStride_bytes * kHeight;
    static constexpr size_t kBlockSize_bytes = kFormatSize_bytes + kPixelsSize_bytes;

    FrameRecord();
    FrameRecord(const FrameRecord&) = delete;
    FrameRecord& operator=(const FrameRecord&) = delete;

    // The header this record is built from.
    static BitmapInfoHeader MakeHeader();

    // Bytes per stored row: bits per pixel x width rounded up to 32 bits.
    static size_t RowStrideFor(const BitmapInfoHeader& header);

    // Header, palette and |height| rows.
    static size_t BlockSizeFor(const BitmapInfoHeader& header);

    // The whole block, kBlockSize_bytes long.
    const uint8_t* Data() const { return block_.get(); }
    size_t Size() const { return size_; }

    // Header and palette: the first kFormatSize_bytes of the block.
    const uint8_t* Format() const { return block_.get(); }
    size_t FormatSize() const { return kFormatSize_bytes; }

    // The kPixelsSize_bytes pixel rows, bottom line first.
    uint8_t* Pixels() { return block_.get() + kFormatSize_bytes; }
    const uint8_t* Pixels() const { return block_.get() + kFormatSize_bytes; }

private:
    size_t size_;
    std::unique_ptr<uint8_t[]> block_;
};
