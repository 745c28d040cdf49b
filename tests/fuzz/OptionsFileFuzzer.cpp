// The compression-options file is read when a recording is set up, and its
// words go straight into the encoder's settings. Whatever the file holds, the
// load must give a usable record, and opening the chosen encoder with it and
// encoding a frame must fail cleanly or work.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/AviCompressor.h"
#include "platform/AviEncoder.h"
#include "platform/AviOptionsFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 24;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const std::string& OptionsPath() {
    static const std::string path = "/tmp/quorv-fuzz-options-" + std::to_string(::getpid());
    return path;
}

void EncodeOneFrame(const AviCompressionOptions& options) {
    const AviCompressor* compressor = AviCompressor::Find(options.handler);
    Require(compressor != nullptr);
    AviEncoder encoder;
    if (!encoder.Open(*compressor, kWidth, kHeight, 25, options)) {
        return;
    }
    const std::vector<uint8_t> frame(kWidth * kHeight, 0x80);
    const auto sink = [](AVPacket* packet) { return packet->size > 0; };
    encoder.Encode(frame.data(), 0, sink);
    encoder.Drain(sink);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ofstream(OptionsPath(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const AviCompressionOptions options = AviOptionsFile::Load(OptionsPath());
    ::unlink(OptionsPath().c_str());
    if (size != AviCompressionOptions::kFileBytes) {
        Require(options == AviCompressionOptions{});
        return 0;
    }
    Require((options.flags & AviCompressionOptions::kFlagValid) != 0);
    Require(options.formatPointer == 0 && options.parametersPointer == 0);
    EncodeOneFrame(options);
    return 0;
}
