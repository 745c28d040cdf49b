#pragma once

#include <cstdint>
#include <functional>

#include "platform/AviCompressionOptions.h"
#include "platform/AviCompressor.h"

struct AVCodecContext;
struct AVCodecParameters;
struct AVFrame;
struct AVPacket;

// One FFmpeg encoder fed with grey frames as the frame record holds them:
// bottom-up rows of one byte per pixel. Each frame is turned into the
// encoder's own top-down picture, with the grey level as full-range luma.
//
// Not thread-safe; the owner serialises calls.
class AviEncoder {
public:
    // Receives each finished packet, timed in the encoder's time base
    // (one tick per frame). False stops the encoding with a failure.
    using PacketSink = std::function<bool(AVPacket*)>;

    AviEncoder();
    AviEncoder(const AviEncoder&) = delete;
    AviEncoder& operator=(const AviEncoder&) = delete;
    ~AviEncoder();

    // Opens `compressor`'s encoder for width × height frames at
    // `framesPerSecond`, with the key-frame interval, data rate and quality of
    // `options` where their flags and the compressor allow. False when the
    // encoder is missing or refuses the settings.
    bool Open(const AviCompressor& compressor, int width, int height, int framesPerSecond,
              const AviCompressionOptions& options);

    // Describes the encoded stream for the muxer. Only after a successful Open.
    bool FillParameters(AVCodecParameters* parameters) const;

    // Encodes the frame at stream position `index` and hands every packet that
    // is ready to `sink`.
    bool Encode(const uint8_t* bottomUpPixels, int64_t index, const PacketSink& sink);

    // Hands the packets the encoder still holds to `sink`.
    bool Drain(const PacketSink& sink);

    // Frees the encoder; Open may be called again.
    void Release();

private:
    void ApplyOptions(const AviCompressor& compressor, const AviCompressionOptions& options);
    bool FillPicture(const uint8_t* bottomUpPixels);
    bool Deliver(const PacketSink& sink);

    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
};
