#include "platform/CameraFormat.h"

#include <gtest/gtest.h>

#include <spa/buffer/buffer.h>
#include <spa/param/buffers.h>
#include <spa/param/format-utils.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/pod/parser.h>

#include <cmath>
#include <vector>

namespace {

using Pixels = CameraFormat::Pixels;
constexpr uint32_t kWidth = CameraFormat::kWidth;
constexpr uint32_t kHeight = CameraFormat::kHeight;

// Grey levels that tell every pixel apart: row y, column x.
uint8_t GreyAt(uint32_t x, uint32_t y) {
    return static_cast<uint8_t>(x * 3 + y * 7);
}

// The frame record's layout: the bottom line first.
std::vector<uint8_t> BottomUpPicture() {
    std::vector<uint8_t> picture(kWidth * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            picture[(kHeight - 1 - y) * kWidth + x] = GreyAt(x, y);
        }
    }
    return picture;
}

struct Builder {
    uint8_t buffer[1024];
    spa_pod_builder pod = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
};

// A consumer's fixed choice, as the format PipeWire hands the source.
const spa_pod* ChosenFormat(Builder& builder, spa_video_format format, uint32_t width,
                            uint32_t height) {
    spa_video_info_raw info{};
    info.format = format;
    info.size = {width, height};
    info.framerate = {25, 1};
    return spa_format_video_raw_build(&builder.pod, SPA_PARAM_Format, &info);
}

}  // namespace

TEST(CameraFormatTest, OffersGreyAndTwoYuvFormatsAt360x288And25FramesASecond) {
    const spa_video_format expected[] = {SPA_VIDEO_FORMAT_GRAY8, SPA_VIDEO_FORMAT_I420,
                                         SPA_VIDEO_FORMAT_YUY2};
    ASSERT_EQ(CameraFormat::kOffered.size(), 3u);
    for (size_t i = 0; i < CameraFormat::kOffered.size(); ++i) {
        Builder builder;
        const spa_pod* pod = CameraFormat::BuildEnumFormat(builder.pod, CameraFormat::kOffered[i]);
        ASSERT_NE(pod, nullptr);
        EXPECT_TRUE(spa_pod_is_object_id(pod, SPA_PARAM_EnumFormat));
        uint32_t mediaType = 0;
        uint32_t mediaSubtype = 0;
        ASSERT_GE(spa_format_parse(pod, &mediaType, &mediaSubtype), 0);
        EXPECT_EQ(mediaType, SPA_MEDIA_TYPE_video);
        EXPECT_EQ(mediaSubtype, SPA_MEDIA_SUBTYPE_raw);
        spa_video_info_raw info{};
        ASSERT_GE(spa_format_video_raw_parse(pod, &info), 0);
        EXPECT_EQ(info.format, expected[i]) << i;
        EXPECT_EQ(info.size.width, 360u);
        EXPECT_EQ(info.size.height, 288u);
        EXPECT_EQ(info.framerate.num, 25u);
        EXPECT_EQ(info.framerate.denom, 1u);
    }
}

TEST(CameraFormatTest, RecognisesOnlyTheOfferedFormats) {
    struct Case {
        spa_video_format format;
        uint32_t width, height;
        std::optional<Pixels> pixels;
    };
    const Case cases[] = {
        {SPA_VIDEO_FORMAT_GRAY8, 360, 288, Pixels::Gray8},
        {SPA_VIDEO_FORMAT_I420, 360, 288, Pixels::I420},
        {SPA_VIDEO_FORMAT_YUY2, 360, 288, Pixels::Yuy2},
        {SPA_VIDEO_FORMAT_RGB, 360, 288, std::nullopt},
        {SPA_VIDEO_FORMAT_NV12, 360, 288, std::nullopt},
        {SPA_VIDEO_FORMAT_GRAY8, 720, 576, std::nullopt},
        {SPA_VIDEO_FORMAT_I420, 360, 240, std::nullopt},
    };
    for (const Case& c : cases) {
        Builder builder;
        const std::optional<CameraFormat> format =
            CameraFormat::FromParam(*ChosenFormat(builder, c.format, c.width, c.height));
        ASSERT_EQ(format.has_value(), c.pixels.has_value()) << c.format << " " << c.width;
        if (format) {
            EXPECT_EQ(format->GetPixels(), *c.pixels);
        }
    }
    Builder builder;
    uint32_t rate = 48000;
    uint32_t channels = 2;
    const auto* audio = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder.pod, SPA_TYPE_OBJECT_Format, SPA_PARAM_Format, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_audio), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_AUDIO_rate, SPA_POD_Int(rate),
        SPA_FORMAT_AUDIO_channels, SPA_POD_Int(channels)));
    EXPECT_FALSE(CameraFormat::FromParam(*audio).has_value());
}

// The buffers asked for hold one picture in one block, in shared or plain
// memory; the stride is that of the first plane.
TEST(CameraFormatTest, AsksForBuffersOfOnePicture) {
    struct Case {
        Pixels pixels;
        int size, stride;
    };
    const Case cases[] = {
        {Pixels::Gray8, 103'680, 360},
        {Pixels::I420, 155'520, 360},
        {Pixels::Yuy2, 207'360, 720},
    };
    for (const Case& c : cases) {
        const CameraFormat format(c.pixels);
        EXPECT_EQ(format.Size_bytes(), uint32_t(c.size));
        EXPECT_EQ(format.Stride_bytes(), uint32_t(c.stride));
        Builder builder;
        const spa_pod* pod = format.BuildBuffers(builder.pod);
        ASSERT_NE(pod, nullptr);
        int blocks = 0;
        int size = 0;
        int stride = 0;
        const spa_pod* buffers = nullptr;
        const spa_pod* dataType = nullptr;
        ASSERT_GE(spa_pod_parse_object(pod, SPA_TYPE_OBJECT_ParamBuffers, nullptr,
                                       SPA_PARAM_BUFFERS_buffers, SPA_POD_PodChoice(&buffers),
                                       SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(&blocks),
                                       SPA_PARAM_BUFFERS_size, SPA_POD_Int(&size),
                                       SPA_PARAM_BUFFERS_stride, SPA_POD_Int(&stride),
                                       SPA_PARAM_BUFFERS_dataType, SPA_POD_PodChoice(&dataType)),
                  0);
        EXPECT_EQ(blocks, 1);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(stride, c.stride);
        uint32_t choices = 0;
        uint32_t choice = 0;
        const auto* types = static_cast<const int32_t*>(
            SPA_POD_BODY(spa_pod_get_values(dataType, &choices, &choice)));
        ASSERT_GE(choices, 1u);
        EXPECT_EQ(choice, SPA_CHOICE_Flags);
        EXPECT_EQ(types[0], (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr));
    }
}

// Luma in 16 ... 235 that stands for `grey` in 0 ... 255, to within rounding.
bool IsLumaOf(uint8_t luma, uint8_t grey) {
    return luma >= 16 && luma <= 235 && std::abs((luma - 16) * 255.0 / 219.0 - grey) <= 0.6;
}

// Grey goes out unchanged, top row first; the YUV formats carry it as luma in
// 16 ... 235 (black 16, white 235) with neutral chroma.
TEST(CameraFormatTest, WritesThePictureTopRowFirstInEachFormat) {
    const std::vector<uint8_t> picture = BottomUpPicture();
    std::vector<uint8_t> gray(CameraFormat(Pixels::Gray8).Size_bytes(), 0xEE);
    CameraFormat(Pixels::Gray8).Write(picture.data(), gray.data());
    std::vector<uint8_t> i420(CameraFormat(Pixels::I420).Size_bytes(), 0xEE);
    CameraFormat(Pixels::I420).Write(picture.data(), i420.data());
    std::vector<uint8_t> yuy2(CameraFormat(Pixels::Yuy2).Size_bytes(), 0xEE);
    CameraFormat(Pixels::Yuy2).Write(picture.data(), yuy2.data());

    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t grey = GreyAt(x, y);
            ASSERT_EQ(gray[y * kWidth + x], grey) << x << "," << y;
            ASSERT_TRUE(IsLumaOf(i420[y * kWidth + x], grey)) << x << "," << y;
            ASSERT_TRUE(IsLumaOf(yuy2[y * 2 * kWidth + 2 * x], grey)) << x << "," << y;
            ASSERT_EQ(yuy2[y * 2 * kWidth + 2 * x + 1], 128) << x << "," << y;
        }
    }
    for (size_t i = kWidth * kHeight; i < i420.size(); ++i) {
        ASSERT_EQ(i420[i], 128) << i;
    }

    std::vector<uint8_t> black(kWidth * kHeight, 0);
    std::vector<uint8_t> white(kWidth * kHeight, 255);
    CameraFormat(Pixels::I420).Write(black.data(), i420.data());
    EXPECT_EQ(i420[0], 16);
    CameraFormat(Pixels::Yuy2).Write(white.data(), yuy2.data());
    EXPECT_EQ(yuy2[0], 235);
}
