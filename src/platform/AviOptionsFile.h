#pragma once

#include <string>

#include "platform/AviCompressionOptions.h"

// The compression-options file: the 44 bytes of the record as the last
// confirmed compression dialog left it.
class AviOptionsFile {
public:
    // The record stored at `path`, ready to start the dialog from: marked
    // valid, pointer and size words cleared, and a compressor this program
    // doesn't know (or can't provide) replaced by uncompressed frames.
    // A missing file, one of any length but 44 bytes or anything but a file
    // gives zeroed options; only a 44-byte file is read.
    static AviCompressionOptions Load(const std::string& path);

    // Replaces the file with the 44 bytes of `options` so that a reader sees
    // either the old or the new file, never a part. False on any failure.
    static bool Save(const std::string& path, const AviCompressionOptions& options);
};
