#include "platform/CameraFormat.h"

#include <spa/buffer/buffer.h>
#include <spa/param/buffers.h>
#include <spa/param/format-utils.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <cstring>

namespace {

constexpr uint8_t kNeutralChroma = 128;
constexpr uint32_t kChromaWidth = CameraFormat::kWidth / 2;
constexpr uint32_t kChromaHeight = CameraFormat::kHeight / 2;

spa_video_format SpaFormat(CameraFormat::Pixels pixels) {
    switch (pixels) {
        case CameraFormat::Pixels::Gray8:
            return SPA_VIDEO_FORMAT_GRAY8;
        case CameraFormat::Pixels::I420:
            return SPA_VIDEO_FORMAT_I420;
        case CameraFormat::Pixels::Yuy2:
            return SPA_VIDEO_FORMAT_YUY2;
    }
    return SPA_VIDEO_FORMAT_GRAY8;
}

// Grey 0 ... 255 to the luma range 16 ... 235 of the YUV formats, rounded.
struct LimitedRange {
    uint8_t luma[256];
    constexpr LimitedRange() : luma() {
        for (int grey = 0; grey < 256; ++grey) {
            luma[grey] = static_cast<uint8_t>(16 + (grey * 219 + 127) / 255);
        }
    }
};
constexpr LimitedRange kLimitedRange;

const uint8_t* TopRow(const uint8_t* bottomUpGrey, uint32_t y) {
    return bottomUpGrey + (CameraFormat::kHeight - 1 - y) * CameraFormat::kWidth;
}

void WriteGray8(const uint8_t* bottomUpGrey, uint8_t* destination) {
    for (uint32_t y = 0; y < CameraFormat::kHeight; ++y) {
        std::memcpy(destination + y * CameraFormat::kWidth, TopRow(bottomUpGrey, y),
                    CameraFormat::kWidth);
    }
}

void WriteI420(const uint8_t* bottomUpGrey, uint8_t* destination) {
    for (uint32_t y = 0; y < CameraFormat::kHeight; ++y) {
        const uint8_t* grey = TopRow(bottomUpGrey, y);
        uint8_t* luma = destination + y * CameraFormat::kWidth;
        for (uint32_t x = 0; x < CameraFormat::kWidth; ++x) {
            luma[x] = kLimitedRange.luma[grey[x]];
        }
    }
    std::memset(destination + CameraFormat::kWidth * CameraFormat::kHeight, kNeutralChroma,
                2 * kChromaWidth * kChromaHeight);
}

void WriteYuy2(const uint8_t* bottomUpGrey, uint8_t* destination) {
    for (uint32_t y = 0; y < CameraFormat::kHeight; ++y) {
        const uint8_t* grey = TopRow(bottomUpGrey, y);
        uint8_t* out = destination + y * 2 * CameraFormat::kWidth;
        for (uint32_t x = 0; x < CameraFormat::kWidth; ++x) {
            out[2 * x] = kLimitedRange.luma[grey[x]];
            out[2 * x + 1] = kNeutralChroma;
        }
    }
}

}  // namespace

const spa_pod* CameraFormat::BuildEnumFormat(spa_pod_builder& builder, Pixels pixels) {
    spa_rectangle size{kWidth, kHeight};
    spa_fraction rate{kFramesPerSecond, 1};
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format, SPA_POD_Id(SpaFormat(pixels)),
        SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
        SPA_POD_Fraction(&rate)));
}

std::optional<CameraFormat> CameraFormat::FromParam(const spa_pod& format) {
    uint32_t mediaType = 0;
    uint32_t mediaSubtype = 0;
    if (spa_format_parse(&format, &mediaType, &mediaSubtype) < 0 ||
        mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw) {
        return std::nullopt;
    }
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(&format, &info) < 0 || info.size.width != kWidth ||
        info.size.height != kHeight) {
        return std::nullopt;
    }
    for (Pixels pixels : kOffered) {
        if (SpaFormat(pixels) == info.format) {
            return CameraFormat(pixels);
        }
    }
    return std::nullopt;
}

uint32_t CameraFormat::Stride_bytes() const {
    return pixels_ == Pixels::Yuy2 ? 2 * kWidth : kWidth;
}

uint32_t CameraFormat::Size_bytes() const {
    switch (pixels_) {
        case Pixels::Gray8:
            return kWidth * kHeight;
        case Pixels::I420:
            return kWidth * kHeight + 2 * kChromaWidth * kChromaHeight;
        case Pixels::Yuy2:
            return 2 * kWidth * kHeight;
    }
    return kWidth * kHeight;
}

// Two buffers let the consumer hold one picture while the next is written;
// more only add latency, so at most 16.
const spa_pod* CameraFormat::BuildBuffers(spa_pod_builder& builder) const {
    const int memoryTypes = (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr);
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
        SPA_PARAM_BUFFERS_size, SPA_POD_Int(static_cast<int>(Size_bytes())),
        SPA_PARAM_BUFFERS_stride, SPA_POD_Int(static_cast<int>(Stride_bytes())),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(memoryTypes)));
}

void CameraFormat::Write(const uint8_t* bottomUpGrey, uint8_t* destination) const {
    switch (pixels_) {
        case Pixels::Gray8:
            WriteGray8(bottomUpGrey, destination);
            return;
        case Pixels::I420:
            WriteI420(bottomUpGrey, destination);
            return;
        case Pixels::Yuy2:
            WriteYuy2(bottomUpGrey, destination);
            return;
    }
}
