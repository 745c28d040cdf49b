#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/AviCompressionOptions.h"
#include "platform/AviEncoder.h"
#include "platform/AviFileOutput.h"

struct AVFormatContext;
struct AVPacket;
struct AVStream;

// Writes one AVI file with one video stream through FFmpeg: declare the
// stream, set its format (which sets up the compressor), create the file,
// append frames, release. Nothing touches the disk before the compressor is
// ready, so a compressor that fails leaves any file of that name alone. Files
// grow past 1 GiB and 4 GiB as OpenDML AVI. The file is written through an
// AviFileOutput: it carries a recording's lock, and a disk that is full for a
// while costs the frames offered meanwhile, never the file.
//
// Every frame reaches the file before WriteFrame returns (unless the file
// system refused it; see IsHoldingBack), so a process killed while recording
// leaves a file that plays up to its last written frame.
//
// Not thread-safe; the owner serialises calls.
class AviLibrary {
public:
    // What the stream header declares.
    struct StreamInfo {
        int scale = 1;  // frames per second = rate / scale
        int rate = 20;
        int frameWidth = 0;  // frame rectangle (0, 0, width, height)
        int frameHeight = 0;
        std::string name;  // the stream's title
    };

    // The size of the format SetFormat takes: a 40-byte bitmap information
    // header and a palette of 256 four-byte entries.
    static constexpr size_t kFormatBytes = 1064;

    // True when the installed FFmpeg can write AVI files.
    static bool IsUsable();

    // Why `path` can't take a new recording, without touching it: an errno
    // value as AviFileOutput::CheckPath gives it, 0 when it can.
    static int CheckPath(const std::string& path) { return AviFileOutput::CheckPath(path); }

    AviLibrary();
    AviLibrary(const AviLibrary&) = delete;
    AviLibrary& operator=(const AviLibrary&) = delete;
    ~AviLibrary();

    // Declares the video stream. First call after construction or Release.
    bool CreateStream(const StreamInfo& info);

    // Sets the stream format from `format` (kFormatBytes: an 8-bit bottom-up
    // bitmap header of the stream's frame size, width a multiple of 4 so rows
    // need no padding, and its palette) and opens the compressor named by
    // `options.handler`. Uncompressed frames are stored as palettised bitmaps
    // with this very format block. False when the format doesn't fit the
    // stream, the compressor is unknown or missing, or it refuses its
    // settings. Touches no file.
    bool SetFormat(const uint8_t* format, size_t size, const AviCompressionOptions& options);

    // Replaces whatever is at `path` with a new file holding the header (see
    // AviFileOutput::Create). Only after SetFormat succeeded. False, with
    // OpenError(), when the file can't be created (also when another
    // recording holds it) or its header can't be written; no file of this
    // call is left then.
    bool OpenFile(const std::string& path);

    // Why the last OpenFile failed, as an errno value; 0 after success.
    int OpenError() const { return openError_; }

    // Appends frame `index` (the next stream position; 0, 1, 2, …): `size`
    // bytes of bottom-up rows, one byte per pixel. True when the frame is in
    // the file's stream: written, or held back while the file system refuses
    // the bytes (IsHoldingBack), which go out before anything else. False when
    // the frame could not be encoded or there is no room for it; the file
    // then stays exactly as it was, and the next index is `index` again.
    bool WriteFrame(int64_t index, const uint8_t* pixels, size_t size);

    // Bytes of the file wait for the file system to take them.
    bool IsHoldingBack() const { return output_.HasPending(); }

    // The errno of the last write or reservation the file system refused.
    int WriteError() const { return output_.Error(); }

    // True once OpenFile succeeded, until Release.
    bool IsOpen() const { return headerWritten_; }

    // Finishes the file (indexes, frame counts) and frees everything. Safe to
    // call at any point, also when nothing is open. False when an open file
    // could not be finished: some of its bytes never reached the disk
    // (WriteError tells why).
    bool Release();

private:
    bool SetRawFormat(const uint8_t* format);
    bool SetEncodedFormat(const AviCompressor& compressor, const AviCompressionOptions& options);
    bool WriteRaw(int64_t index, const uint8_t* pixels, size_t size);
    bool WritePacket(AVPacket* packet);

    AVFormatContext* container_ = nullptr;
    AVStream* stream_ = nullptr;
    AviEncoder encoder_;
    AviFileOutput output_;
    int64_t packetsWritten_ = 0;
    int openError_ = 0;
    bool encoded_ = false;
    bool formatSet_ = false;
    bool headerWritten_ = false;
    int width_ = 0;
    int height_ = 0;
};
