#include "engine/FrameRecord.h"

#include <bit>
#include <cstring>

// The block is the on-disk format, which is little-endian.
static_assert(std::endian::native == std::endian::little);

// The header is copied into the block byte for byte, so its in-memory layout
// must be the file layout.
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, width) == 4);
static_assert(offsetof(BitmapInfoHeader, height) == 8);
static_assert(offsetof(BitmapInfoHeader, planes) == 12);
static_assert(offsetof(BitmapInfoHeader, bitCount) == 14);
static_assert(offsetof(BitmapInfoHeader, compression) == 16);
static_assert(offsetof(BitmapInfoHeader, sizeImage) == 20);
static_assert(offsetof(BitmapInfoHeader, xPelsPerMeter) == 24);
static_assert(offsetof(BitmapInfoHeader, yPelsPerMeter) == 28);
static_assert(offsetof(BitmapInfoHeader, clrUsed) == 32);
static_assert(offsetof(BitmapInfoHeader, clrImportant) == 36);
static_assert(sizeof(PaletteEntry) == 4);
static_assert(FrameRecord::kFormatSize_bytes == 1064);
static_assert(FrameRecord::kBlockSize_bytes == 104744);

BitmapInfoHeader FrameRecord::MakeHeader() {
    BitmapInfoHeader header{};
    header.size = sizeof(BitmapInfoHeader);
    header.width = kWidth;
    header.height = kHeight;
    header.planes = 1;
    header.bitCount = 8;
    header.compression = 0;
    header.sizeImage = kPixelsSize_bytes;
    header.clrUsed = kPaletteEntries;
    return header;
}

size_t FrameRecord::RowStrideFor(const BitmapInfoHeader& header) {
    const size_t bits = static_cast<size_t>(header.bitCount) * static_cast<size_t>(header.width);
    return ((bits + 31) & ~size_t{31}) / 8;
}

size_t FrameRecord::BlockSizeFor(const BitmapInfoHeader& header) {
    const int64_t rows = header.height < 0 ? -int64_t{header.height} : int64_t{header.height};
    return static_cast<size_t>(rows) * RowStrideFor(header) + kFormatSize_bytes;
}

FrameRecord::FrameRecord()
    : size_(BlockSizeFor(MakeHeader())), block_(std::make_unique<uint8_t[]>(size_)) {
    const BitmapInfoHeader header = MakeHeader();
    std::memcpy(block_.get(), &header, sizeof header);
    for (int i = 0; i < kPaletteEntries; ++i) {
        const auto grey = static_cast<uint8_t>(i);
        const PaletteEntry entry{grey, grey, grey, 0};
        std::memcpy(block_.get() + sizeof header + i * sizeof entry, &entry, sizeof entry);
    }
}
