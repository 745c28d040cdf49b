#include "support/RecorderFileProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120'000);
    return process.readAllStandardOutput();
}

}  // namespace

RecorderFileProbe::Result RecorderFileProbe::Probe(const QString& path) {
    const QByteArray output =
        Run("ffprobe", {"-v", "error", "-count_packets", "-show_entries",
                        "stream=codec_type,codec_name,width,height,r_frame_rate,nb_read_packets:"
                        "stream_tags=title:format=duration",
                        "-of", "default=noprint_wrappers=1", path});
    Result result;
    for (const QByteArray& line : output.split('\n')) {
        const int equals = line.indexOf('=');
        const std::string key = line.left(equals).toStdString();
        const QByteArray value = line.mid(equals + 1);
        if (key == "codec_type") {
            (value == "video" ? result.videoStreams : result.otherStreams) += 1;
        } else if (key == "codec_name") {
            result.codec = value.toStdString();
        } else if (key == "width") {
            result.width = value.toInt();
        } else if (key == "height") {
            result.height = value.toInt();
        } else if (key == "r_frame_rate") {
            result.frameRate = value.toStdString();
        } else if (key == "nb_read_packets") {
            result.packets = value.toLong();
        } else if (key == "TAG:title") {
            result.title = value.toStdString();
        } else if (key == "duration" && value != "N/A") {
            result.duration_s = value.toDouble();
        }
    }
    return result;
}

std::vector<RecorderFileProbe::Packet> RecorderFileProbe::Packets(const QString& path) {
    const QByteArray output = Run("ffprobe", {"-v", "error", "-show_entries", "packet=pos,size",
                                              "-of", "csv=print_section=0", path});
    std::vector<Packet> packets;
    for (const QByteArray& line : output.split('\n')) {
        // The first packet carries the palette as side data: more fields.
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() >= 2 && !fields[1].isEmpty()) {
            packets.push_back({fields[1].toLongLong(), fields[0].toInt()});
        }
    }
    return packets;
}

QByteArray RecorderFileProbe::Decode(const QString& path, const char* pixelFormat) {
    QStringList arguments{"-v", "error", "-i", path, "-f", "rawvideo"};
    if (pixelFormat != nullptr) {
        arguments << "-pix_fmt" << pixelFormat;
    }
    return Run("ffmpeg", arguments << "-");
}

QByteArray RecorderFileProbe::Chunk(const QString& path, const char* fourCC) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray head = file.read(64 * 1024);
    const int at = head.indexOf(fourCC);
    if (at < 0 || at + 8 > head.size()) {
        return {};
    }
    const auto* size = reinterpret_cast<const uchar*>(head.constData() + at + 4);
    const int length = size[0] | size[1] << 8 | size[2] << 16 | size[3] << 24;
    return head.mid(at + 8, length);
}

namespace {

int Le32(const QByteArray& bytes, int at) {
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24;
}

}  // namespace

int RecorderFileProbe::DeclaredFrames(const QString& path) {
    const QByteArray header = Chunk(path, "avih");
    return header.size() >= 20 ? Le32(header, 16) : -1;
}

int RecorderFileProbe::TrailingIndexEntries(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray bytes = file.readAll();
    const int at = bytes.lastIndexOf("idx1");
    if (at < 0 || at + 8 > bytes.size()) {
        return -1;
    }
    const int length = Le32(bytes, at + 4);
    return at + 8 + length == bytes.size() ? length / 16 : -1;
}

int RecorderFileProbe::OpenDescriptors(const QString& path) {
    const QString target = QFileInfo(path).absoluteFilePath();
    int count = 0;
    for (const QFileInfo& entry : QDir("/proc/self/fd").entryInfoList(QDir::Files | QDir::System)) {
        if (entry.symLinkTarget() == target) {
            ++count;
        }
    }
    return count;
}
