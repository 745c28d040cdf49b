#include "emulator/VideoFileSource.h"

#include <cstring>
#include <memory>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "emulator/FieldStructure.h"
#include "emulator/SignalLayout.h"

using namespace SignalLayout;

namespace {

constexpr uint32_t kAreaWidth = kPictureWidth - kFirstPicturePixel;

struct FormatCloser {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw std::runtime_error("video file " + path + ": " + what);
}

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// FFmpeg's own remarks while it probes a file (a format detected with a low
// score, say) would come beside the one line that reports the failure.
struct QuietLog {
    QuietLog() : level(av_log_get_level()) { av_log_set_level(AV_LOG_QUIET); }
    ~QuietLog() { av_log_set_level(level); }
    int level;
};

// Scales a decoded frame into the picture area and maps grey to signal levels.
class FrameStore {
public:
    explicit FrameStore(std::vector<std::vector<uint8_t>>& frames) : frames_(frames) {}

    void Add(const AVFrame* frame) {
        scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height,
                                           static_cast<AVPixelFormat>(frame->format), kAreaWidth,
                                           kPictureHeight, AV_PIX_FMT_GRAY8, SWS_BILINEAR, nullptr,
                                           nullptr, nullptr));
        if (!scaler_) {
            return;
        }
        std::vector<uint8_t> grey(kAreaWidth * kPictureHeight);
        uint8_t* planes[4] = {grey.data(), nullptr, nullptr, nullptr};
        int strides[4] = {static_cast<int>(kAreaWidth), 0, 0, 0};
        sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
        std::vector<uint8_t> levels(kPictureWidth * kPictureHeight, kBlackLevel);
        for (uint32_t y = 0; y < kPictureHeight; ++y) {
            for (uint32_t x = 0; x < kAreaWidth; ++x) {
                uint32_t value = grey[y * kAreaWidth + x];
                levels[y * kPictureWidth + kFirstPicturePixel + x] = static_cast<uint8_t>(
                    kBlackLevel + (value * (kWhiteLevel - kBlackLevel) + 127) / 255);
            }
        }
        frames_.push_back(std::move(levels));
    }

private:
    std::vector<std::vector<uint8_t>>& frames_;
    std::unique_ptr<SwsContext, ScalerFreer> scaler_;
};

void ReceiveFrames(AVCodecContext* context, AVFrame* frame, FrameStore& store, size_t& count) {
    while (count < VideoFileSource::kMaxFrames && avcodec_receive_frame(context, frame) == 0) {
        store.Add(frame);
        ++count;
        av_frame_unref(frame);
    }
}

}  // namespace

VideoFileSource::VideoFileSource(const std::string& path)
    : rows_(kPictureHeight * kSamplesPerLine) {
    Decode(path);
    if (frames_.empty()) {
        Fail(path, "no picture could be decoded");
    }
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        std::memcpy(&rows_[y * kSamplesPerLine], FieldStructure::WholePictureLine(),
                    kSamplesPerLine);
    }
}

void VideoFileSource::Decode(const std::string& path) {
    const QuietLog quiet;
    AVFormatContext* opened = nullptr;
    if (const int error = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); error < 0) {
        Fail(path, "cannot be opened (" + ErrorText(error) + ")");
    }
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    const AVCodec* codec = nullptr;
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        Fail(path, "has no readable streams");
    }
    int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream < 0 || codec == nullptr) {
        Fail(path, "has no video stream");
    }
    std::unique_ptr<AVCodecContext, CodecFreer> context(avcodec_alloc_context3(codec));
    if (!context ||
        avcodec_parameters_to_context(context.get(), format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(context.get(), codec, nullptr) < 0) {
        Fail(path, "video cannot be decoded");
    }
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    FrameStore store(frames_);
    size_t count = 0;
    while (count < kMaxFrames && av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream &&
            avcodec_send_packet(context.get(), packet.get()) == 0) {
            ReceiveFrames(context.get(), frame.get(), store, count);
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(context.get(), nullptr);
    ReceiveFrames(context.get(), frame.get(), store, count);
}

const uint8_t* VideoFileSource::Line(uint32_t line, uint32_t frame) {
    uint32_t row = FieldStructure::PictureRow(line);
    if (row == FieldStructure::kNoRow) {
        return FieldStructure::Template(line);
    }
    uint32_t index = frame % FrameCount();
    if (index != shownFrame_) {
        ShowFrame(index);
    }
    return FieldStructure::FromWholeRow(line, &rows_[row * kSamplesPerLine], halfLine_.data());
}

void VideoFileSource::ShowFrame(uint32_t index) {
    const std::vector<uint8_t>& levels = frames_[index];
    for (uint32_t y = 0; y < kPictureHeight; ++y) {
        uint8_t* row = &rows_[y * kSamplesPerLine];
        for (uint32_t s = kPictureStart; s < kPictureEnd; ++s) {
            row[s] = levels[y * kPictureWidth + FieldStructure::PixelAt(s)];
        }
    }
    shownFrame_ = index;
}
