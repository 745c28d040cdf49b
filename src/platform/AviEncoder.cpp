#include "platform/AviEncoder.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace {

constexpr uint8_t kNeutralChroma = 128;

// VfW quality 0 … 10000 onto FFmpeg's quantiser scale 31 … 1 (1 is best).
int QuantiserOf(uint32_t quality) {
    return 1 + static_cast<int>((AviCompressionOptions::kQualityBest - quality) * 30 /
                                AviCompressionOptions::kQualityBest);
}

// The same onto x264's constant rate factor 51 … 0.
int RateFactorOf(uint32_t quality) {
    return static_cast<int>((AviCompressionOptions::kQualityBest - quality) * 51 /
                            AviCompressionOptions::kQualityBest);
}

}  // namespace

AviEncoder::AviEncoder() = default;

AviEncoder::~AviEncoder() {
    Release();
}

bool AviEncoder::Open(const AviCompressor& compressor, int width, int height, int framesPerSecond,
                      const AviCompressionOptions& options) {
    Release();
    const AVCodec* codec =
        compressor.encoderName ? avcodec_find_encoder_by_name(compressor.encoderName) : nullptr;
    const AVPixelFormat format = av_get_pix_fmt(compressor.pixelFormat);
    if (codec == nullptr || format == AV_PIX_FMT_NONE) {
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!context_ || !picture_ || !packet_) {
        Release();
        return false;
    }
    context_->width = width;
    context_->height = height;
    context_->pix_fmt = format;
    context_->color_range = AVCOL_RANGE_JPEG;
    context_->time_base = AVRational{1, framesPerSecond};
    context_->framerate = AVRational{framesPerSecond, 1};
    // One thread: frame threads delay packets, and a killed recording would
    // lose the frames still inside the encoder.
    context_->thread_count = 1;
    ApplyOptions(compressor, options);

    AVDictionary* privateOptions = nullptr;
    av_dict_parse_string(&privateOptions, compressor.encoderOptions, "=", ":", 0);
    const bool opened = avcodec_open2(context_, codec, &privateOptions) == 0;
    av_dict_free(&privateOptions);

    picture_->format = format;
    picture_->width = width;
    picture_->height = height;
    picture_->color_range = AVCOL_RANGE_JPEG;
    if (!opened || av_frame_get_buffer(picture_, 0) != 0) {
        Release();
        return false;
    }
    return true;
}

void AviEncoder::ApplyOptions(const AviCompressor& compressor,
                              const AviCompressionOptions& options) {
    if (compressor.hasKeyFrames && (options.flags & AviCompressionOptions::kFlagKeyFrames) &&
        options.keyFrameEvery > 0) {
        context_->gop_size = static_cast<int>(options.keyFrameEvery);
    }
    if (compressor.hasDataRate && (options.flags & AviCompressionOptions::kFlagDataRate) &&
        options.bytesPerSecond > 0) {
        context_->bit_rate = int64_t{options.bytesPerSecond} * 8;
        return;
    }
    if (!compressor.hasQuality || options.quality > AviCompressionOptions::kQualityBest) {
        return;
    }
    if (std::strcmp(compressor.encoderName, "libx264") == 0) {
        av_opt_set_int(context_->priv_data, "crf", RateFactorOf(options.quality), 0);
    } else {
        context_->flags |= AV_CODEC_FLAG_QSCALE;
        context_->global_quality = FF_QP2LAMBDA * QuantiserOf(options.quality);
    }
}

bool AviEncoder::FillParameters(AVCodecParameters* parameters) const {
    return context_ != nullptr && avcodec_parameters_from_context(parameters, context_) >= 0;
}

bool AviEncoder::Encode(const uint8_t* bottomUpPixels, int64_t index, const PacketSink& sink) {
    if (context_ == nullptr || !FillPicture(bottomUpPixels)) {
        return false;
    }
    picture_->pts = index;
    return avcodec_send_frame(context_, picture_) == 0 && Deliver(sink);
}

bool AviEncoder::Drain(const PacketSink& sink) {
    return context_ != nullptr && avcodec_send_frame(context_, nullptr) == 0 && Deliver(sink);
}

// The frame record stores the bottom line first; encoders want the top line
// first. Chroma planes, where the encoder has them, carry no colour.
bool AviEncoder::FillPicture(const uint8_t* bottomUpPixels) {
    if (av_frame_make_writable(picture_) != 0) {
        return false;
    }
    const int width = context_->width;
    const int height = context_->height;
    for (int row = 0; row < height; ++row) {
        std::memcpy(picture_->data[0] + row * picture_->linesize[0],
                    bottomUpPixels + (height - 1 - row) * width, width);
    }
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(context_->pix_fmt);
    const int chromaRows = AV_CEIL_RSHIFT(height, descriptor->log2_chroma_h);
    for (int plane = 1; plane < descriptor->nb_components; ++plane) {
        std::memset(picture_->data[plane], kNeutralChroma, picture_->linesize[plane] * chromaRows);
    }
    return true;
}

bool AviEncoder::Deliver(const PacketSink& sink) {
    for (;;) {
        const int result = avcodec_receive_packet(context_, packet_);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result != 0) {
            return false;
        }
        const bool accepted = sink(packet_);
        av_packet_unref(packet_);
        if (!accepted) {
            return false;
        }
    }
}

void AviEncoder::Release() {
    avcodec_free_context(&context_);
    av_frame_free(&picture_);
    av_packet_free(&packet_);
}
