#pragma once

#include <cstdint>
#include <vector>

// The FourCC of four characters, first character in the lowest byte.
constexpr uint32_t AviFourCC(const char (&code)[5]) {
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
           uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// One compressor the recorder can write with: how the dialog shows it, the
// FourCC the options file remembers it by, and the FFmpeg encoder behind it.
struct AviCompressor {
    const char* name;            // shown in the compression dialog
    uint32_t fourCC;             // handler in the options and in the file
    const char* encoderName;     // FFmpeg encoder; nullptr: frames stored as they are
    const char* pixelFormat;     // what the encoder is fed, as FFmpeg names it
    const char* encoderOptions;  // private encoder options, "key=value:key=value"
    bool hasQuality;             // the quality setting means something
    bool hasKeyFrames;           // the key-frame interval means something
    bool hasDataRate;            // the data rate means something

    // The compressors the installed FFmpeg can provide, uncompressed first.
    // Checked at every call, so a missing library (say libx264) just drops out.
    static std::vector<const AviCompressor*> Available();

    // The available compressor with this FourCC, or nullptr.
    static const AviCompressor* Find(uint32_t fourCC);

    // "Full Frames (Uncompressed)", always available.
    static const AviCompressor& Uncompressed();
};
