#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <string>
#include <vector>

// Looks at recorded AVI files from outside: through the real ffprobe and
// ffmpeg, and by reading the file's bytes.
class RecorderFileProbe {
public:
    struct Result {
        int videoStreams = 0;
        int otherStreams = 0;
        int width = 0;
        int height = 0;
        std::string frameRate;  // as ffprobe gives it, e.g. "20/1"
        std::string codec;
        std::string title;
        long packets = -1;       // counted by reading the whole file
        double duration_s = -1;  // -1 when ffprobe gives none
    };

    static Result Probe(const QString& path);

    // Where ffprobe finds each packet: file offset of its data and its size.
    struct Packet {
        qint64 position = 0;
        int size = 0;
    };
    static std::vector<Packet> Packets(const QString& path);

    // Every frame decoded by ffmpeg into `pixelFormat` (e.g. "gray"; nullptr:
    // the decoder's own format, unconverted), frames one after another, top
    // line first.
    static QByteArray Decode(const QString& path, const char* pixelFormat);

    // The payload of the first chunk with id `fourCC` in the file's first
    // 64 KiB; empty when there is none.
    static QByteArray Chunk(const QString& path, const char* fourCC);

    // The frame count the file's main header declares; -1 without a header.
    static int DeclaredFrames(const QString& path);

    // The entries of the index that ends the file (idx1); -1 when the file
    // doesn't end with one.
    static int TrailingIndexEntries(const QString& path);

    // Open descriptors of this process that refer to `path`.
    static int OpenDescriptors(const QString& path);
};
