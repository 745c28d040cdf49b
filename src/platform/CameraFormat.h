#pragma once

#include <array>
#include <cstdint>
#include <optional>

struct spa_pod;
struct spa_pod_builder;

// One of the picture formats the camera offers other programs: the live
// picture, 360 x 288 at 25 frames a second, as 8-bit grey (GRAY8, full range
// 0 ... 255) or as YUV with neutral colour (I420 planar, YUY2 packed), whose
// luma takes the limited range 16 ... 235 those formats imply.
//
// It builds the formats offered (EnumFormat), recognises the one a consumer
// chose (Format), asks for buffers of its size (Buffers) and writes the
// picture into one. Every buffer holds one data block, rows top first and
// tightly packed, planes one after the other.
class CameraFormat {
public:
    enum class Pixels : uint8_t { Gray8, I420, Yuy2 };

    static constexpr uint32_t kWidth = 360;
    static constexpr uint32_t kHeight = 288;
    static constexpr uint32_t kFramesPerSecond = 25;
    static constexpr std::array<Pixels, 3> kOffered = {Pixels::Gray8, Pixels::I420, Pixels::Yuy2};

    explicit CameraFormat(Pixels pixels) : pixels_(pixels) {}

    // An EnumFormat object for `pixels`, built with `builder`; null when the
    // builder's buffer is too small.
    static const spa_pod* BuildEnumFormat(spa_pod_builder& builder, Pixels pixels);

    // The offered format that a Format object names: raw video in one of the
    // offered pixel formats at 360 x 288. Nothing for anything else.
    static std::optional<CameraFormat> FromParam(const spa_pod& format);

    Pixels GetPixels() const { return pixels_; }
    uint32_t Stride_bytes() const;  // of the first plane
    uint32_t Size_bytes() const;    // of the whole picture

    // A Buffers object asking for buffers of one block of Size_bytes(), in
    // shared or plain memory.
    const spa_pod* BuildBuffers(spa_pod_builder& builder) const;

    // Writes the picture into `destination` (Size_bytes() long).
    // `bottomUpGrey`: kHeight rows of kWidth grey pixels, the bottom line
    // first, as the frame record stores them.
    void Write(const uint8_t* bottomUpGrey, uint8_t* destination) const;

private:
    Pixels pixels_;
};
