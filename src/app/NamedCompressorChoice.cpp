#include "app/NamedCompressorChoice.h"

#include "platform/AviCompressor.h"

namespace {

struct NamedCompressor {
    const char* name;
    uint32_t fourCC;
};

const NamedCompressor kNames[] = {
    {"raw", AviFourCC("DIB ")}, {"ffv1", AviFourCC("FFV1")},  {"mjpeg", AviFourCC("MJPG")},
    {"mpeg4", AviFourCC("FMP4")}, {"h264", AviFourCC("H264")},
};

constexpr uint32_t kVideoStream = AviFourCC("vids");

}  // namespace

NamedCompressorChoice::NamedCompressorChoice(std::string name) {
    if (name.empty()) {
        known_ = true;
        return;
    }
    for (const NamedCompressor& entry : kNames) {
        if (name == entry.name && AviCompressor::Find(entry.fourCC) != nullptr) {
            fourCC_ = entry.fourCC;
            known_ = true;
        }
    }
}

bool NamedCompressorChoice::IsKnown() const {
    return known_;
}

std::string NamedCompressorChoice::KnownNames() {
    std::string names;
    for (const NamedCompressor& entry : kNames) {
        if (AviCompressor::Find(entry.fourCC) != nullptr) {
            names += names.empty() ? "" : ", ";
            names += entry.name;
        }
    }
    return names;
}

bool NamedCompressorChoice::Run(AviCompressionOptions& options) {
    const bool remembered = (options.flags & AviCompressionOptions::kFlagValid) &&
                            AviCompressor::Find(options.handler) != nullptr;
    if (fourCC_ != 0 || !remembered) {
        options = AviCompressionOptions();
        options.handler = fourCC_ != 0 ? fourCC_ : AviCompressor::Uncompressed().fourCC;
        options.quality = AviCompressionOptions::kQualityBest + 1;
    }
    options.streamType = kVideoStream;
    options.flags |= AviCompressionOptions::kFlagValid;
    return true;
}
