#include "platform/AviLibrary.h"

#include <cerrno>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

constexpr size_t kHeaderBytes = 40;
constexpr size_t kPaletteBytes = 256 * 4;
// FFmpeg's marker for bitmaps stored bottom-up: with it the AVI muxer keeps
// the height positive and writes the palette in front of it as the format's
// colour table.
constexpr char kBottomUpMarker[] = "BottomUp";
// Room kept ahead for what the muxer adds around the frames: the header with
// its OpenDML index space, and for the end the index (16 bytes a packet in
// idx1, 8 in an OpenDML index) and the headers of a new RIFF list.
constexpr uint64_t kHeaderBytes_reserved = 64 * 1024;
constexpr uint64_t kTrailerBytes_reserved = 64 * 1024;
constexpr uint64_t kIndexBytesPerPacket = 32;

uint64_t TrailerRoom(int64_t packets) {
    return kTrailerBytes_reserved + kIndexBytesPerPacket * static_cast<uint64_t>(packets);
}

// An encoder's packet may come out larger than the raw picture (noise at the
// best quality); twice the picture is a safe bound.
uint64_t FrameRoom(size_t pictureBytes) {
    return 2 * uint64_t{pictureBytes} + kHeaderBytes_reserved;
}

int32_t ReadLe32(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
}

uint16_t ReadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

// FFmpeg reports encoder details on standard error by default; the program
// keeps no log, and errors surface as results.
void QuietenFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

}  // namespace

bool AviLibrary::IsUsable() {
    return av_guess_format("avi", nullptr, nullptr) != nullptr;
}

AviLibrary::AviLibrary() {
    QuietenFfmpeg();
}

AviLibrary::~AviLibrary() {
    Release();
}

bool AviLibrary::CreateStream(const StreamInfo& info) {
    if (container_ != nullptr || info.scale <= 0 || info.rate <= 0) {
        return false;
    }
    if (avformat_alloc_output_context2(&container_, nullptr, "avi", nullptr) < 0) {
        return false;
    }
    stream_ = avformat_new_stream(container_, nullptr);
    if (stream_ == nullptr) {
        return false;
    }
    stream_->time_base = AVRational{info.scale, info.rate};
    stream_->avg_frame_rate = AVRational{info.rate, info.scale};
    stream_->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream_->codecpar->width = width_ = info.frameWidth;
    stream_->codecpar->height = height_ = info.frameHeight;
    return av_dict_set(&stream_->metadata, "title", info.name.c_str(), 0) >= 0;
}

bool AviLibrary::SetFormat(const uint8_t* format, size_t size,
                           const AviCompressionOptions& options) {
    if (stream_ == nullptr || formatSet_ || size != kFormatBytes ||
        ReadLe32(format) != static_cast<int32_t>(kHeaderBytes) || ReadLe32(format + 4) != width_ ||
        ReadLe32(format + 8) != height_ || ReadLe16(format + 14) != 8 || width_ % 4 != 0) {
        return false;
    }
    const AviCompressor* compressor = AviCompressor::Find(options.handler);
    if (compressor == nullptr) {
        return false;
    }
    encoded_ = compressor->encoderName != nullptr;
    formatSet_ = encoded_ ? SetEncodedFormat(*compressor, options) : SetRawFormat(format);
    return formatSet_;
}

bool AviLibrary::OpenFile(const std::string& path) {
    if (!formatSet_ || container_->pb != nullptr) {
        openError_ = EINVAL;
        return false;
    }
    openError_ = output_.Create(path);
    if (openError_ != 0) {
        return false;
    }
    container_->pb = output_.Context();
    container_->flags |= AVFMT_FLAG_CUSTOM_IO;
    const bool written = output_.ReserveAhead(kHeaderBytes_reserved + TrailerRoom(0)) &&
                         avformat_write_header(container_, nullptr) >= 0;
    if (written) {
        avio_flush(container_->pb);
    }
    if (!written || output_.HasPending()) {
        openError_ = output_.Error() != 0 ? output_.Error() : EIO;
        container_->pb = nullptr;
        output_.Discard();
        return false;
    }
    headerWritten_ = true;
    return true;
}

// The palette travels as extradata followed by the bottom-up marker; the
// muxer writes header and palette exactly as the frame record holds them.
bool AviLibrary::SetRawFormat(const uint8_t* format) {
    AVCodecParameters* parameters = stream_->codecpar;
    const size_t extraBytes = kPaletteBytes + sizeof kBottomUpMarker;
    parameters->extradata =
        static_cast<uint8_t*>(av_mallocz(extraBytes + AV_INPUT_BUFFER_PADDING_SIZE));
    if (parameters->extradata == nullptr) {
        return false;
    }
    std::memcpy(parameters->extradata, format + kHeaderBytes, kPaletteBytes);
    std::memcpy(parameters->extradata + kPaletteBytes, kBottomUpMarker, sizeof kBottomUpMarker);
    parameters->extradata_size = static_cast<int>(extraBytes);
    parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
    parameters->codec_tag = 0;
    parameters->format = AV_PIX_FMT_PAL8;
    parameters->bits_per_coded_sample = 8;
    return true;
}

bool AviLibrary::SetEncodedFormat(const AviCompressor& compressor,
                                  const AviCompressionOptions& options) {
    const int framesPerSecond = stream_->avg_frame_rate.num / stream_->avg_frame_rate.den;
    if (!encoder_.Open(compressor, width_, height_, framesPerSecond, options) ||
        !encoder_.FillParameters(stream_->codecpar)) {
        return false;
    }
    stream_->codecpar->codec_tag = compressor.fourCC;
    return true;
}

// The room is checked before the encoder sees the frame: a frame that then
// can't go into the file would leave the encoder's next frames referring to
// a picture the file doesn't have.
bool AviLibrary::WriteFrame(int64_t index, const uint8_t* pixels, size_t size) {
    if (!headerWritten_ || size != static_cast<size_t>(width_) * height_) {
        return false;
    }
    if (!output_.FlushPending() ||
        !output_.ReserveAhead(FrameRoom(size) + TrailerRoom(packetsWritten_ + 1))) {
        return false;
    }
    if (!encoded_) {
        return WriteRaw(index, pixels, size);
    }
    return encoder_.Encode(pixels, index, [this](AVPacket* packet) { return WritePacket(packet); });
}

bool AviLibrary::WriteRaw(int64_t index, const uint8_t* pixels, size_t size) {
    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr || av_new_packet(packet, static_cast<int>(size)) != 0) {
        av_packet_free(&packet);
        return false;
    }
    std::memcpy(packet->data, pixels, size);
    packet->pts = packet->dts = index;
    packet->duration = 1;
    packet->flags |= AV_PKT_FLAG_KEY;
    const bool written = WritePacket(packet);
    av_packet_free(&packet);
    return written;
}

// Packets come timed in frames (1/fps); the muxer may keep another time base.
// The flush is what makes the frame survive a killed process.
bool AviLibrary::WritePacket(AVPacket* packet) {
    const AVRational frameTime{stream_->avg_frame_rate.den, stream_->avg_frame_rate.num};
    av_packet_rescale_ts(packet, frameTime, stream_->time_base);
    packet->stream_index = stream_->index;
    if (av_write_frame(container_, packet) < 0) {
        return false;
    }
    ++packetsWritten_;
    avio_flush(container_->pb);
    return true;
}

bool AviLibrary::Release() {
    bool finished = true;
    if (headerWritten_) {
        if (encoded_) {
            encoder_.Drain([this](AVPacket* packet) { return WritePacket(packet); });
        }
        output_.FlushPending();
        output_.ReserveAhead(TrailerRoom(packetsWritten_));
        av_write_trailer(container_);
        finished = output_.Close();
    }
    encoder_.Release();
    if (container_ != nullptr) {
        container_->pb = nullptr;
        avformat_free_context(container_);
    }
    container_ = nullptr;
    stream_ = nullptr;
    encoded_ = formatSet_ = headerWritten_ = false;
    width_ = height_ = 0;
    packetsWritten_ = 0;
    return finished;
}
