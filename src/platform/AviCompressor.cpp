#include "platform/AviCompressor.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

// Encoders are fed full-range pictures: grey becomes luma unchanged, so no
// level is squeezed into the video range. x264 runs without look-ahead so
// every frame comes out as a packet at once and reaches the file at once.
const AviCompressor kCompressors[] = {
    {"Full Frames (Uncompressed)", AviFourCC("DIB "), nullptr, "pal8", "", false, false, false},
    {"FFV1 (Lossless)", AviFourCC("FFV1"), "ffv1", "gray", "", false, true, false},
    {"Motion JPEG", AviFourCC("MJPG"), "mjpeg", "yuvj420p", "", true, false, true},
    {"MPEG-4 Part 2", AviFourCC("FMP4"), "mpeg4", "yuv420p", "", true, true, true},
    {"H.264 (x264)", AviFourCC("H264"), "libx264", "yuv420p", "preset=veryfast:tune=zerolatency",
     true, true, true},
};

bool IsInstalled(const AviCompressor& compressor) {
    return compressor.encoderName == nullptr ||
           avcodec_find_encoder_by_name(compressor.encoderName) != nullptr;
}

}  // namespace

std::vector<const AviCompressor*> AviCompressor::Available() {
    std::vector<const AviCompressor*> available;
    for (const AviCompressor& compressor : kCompressors) {
        if (IsInstalled(compressor)) {
            available.push_back(&compressor);
        }
    }
    return available;
}

const AviCompressor* AviCompressor::Find(uint32_t fourCC) {
    for (const AviCompressor& compressor : kCompressors) {
        if (compressor.fourCC == fourCC) {
            return IsInstalled(compressor) ? &compressor : nullptr;
        }
    }
    return nullptr;
}

const AviCompressor& AviCompressor::Uncompressed() {
    return kCompressors[0];
}
