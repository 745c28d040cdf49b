#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The compression-options record the compression dialog fills in and the
// options file keeps: eleven 32-bit words, stored little-endian in this order.
struct AviCompressionOptions {
    static constexpr size_t kFileBytes = 44;

    // Bits of `flags`.
    static constexpr uint32_t kFlagInterleave = 0x1;
    static constexpr uint32_t kFlagDataRate = 0x2;   // `bytesPerSecond` applies
    static constexpr uint32_t kFlagKeyFrames = 0x4;  // `keyFrameEvery` applies
    static constexpr uint32_t kFlagValid = 0x8;      // the record holds real choices

    // `quality` runs from 0 to kQualityBest; any larger value means the
    // compressor's default.
    static constexpr uint32_t kQualityBest = 10000;

    uint32_t streamType = 0;
    uint32_t handler = 0;  // the compressor's FourCC
    uint32_t keyFrameEvery = 0;
    uint32_t quality = 0;
    uint32_t bytesPerSecond = 0;
    uint32_t flags = 0;
    uint32_t formatPointer = 0;
    uint32_t formatSize = 0;
    uint32_t parametersPointer = 0;
    uint32_t parametersSize = 0;
    uint32_t interleaveEvery = 0;

    std::array<uint8_t, kFileBytes> ToBytes() const;
    static AviCompressionOptions FromBytes(const std::array<uint8_t, kFileBytes>& bytes);

    bool operator==(const AviCompressionOptions&) const = default;
};
