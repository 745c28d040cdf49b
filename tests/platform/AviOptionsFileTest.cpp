#include "platform/AviOptionsFile.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/AviCompressor.h"

namespace {

const uint8_t kMotionJpegBytes[44] = {
    'v',  'i',  'd', 's',  // stream type
    'M',  'J',  'P', 'G',  // handler
    15,   0,    0,   0,    // key frame every
    0x10, 0x27, 0,   0,    // quality 10000
    0,    0x10, 0,   0,    // bytes per second 4096
    0x0E, 0,    0,   0,    // flags: valid, key frames, data rate
    0,    0,    0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // format and parameters
    2,    0,    0,   0,                                        // interleave every
};

AviCompressionOptions MotionJpeg() {
    AviCompressionOptions options;
    options.streamType = AviFourCC("vids");
    options.handler = AviFourCC("MJPG");
    options.keyFrameEvery = 15;
    options.quality = 10000;
    options.bytesPerSecond = 4096;
    options.flags = 0x0E;
    options.interleaveEvery = 2;
    return options;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(AviOptionsFileTest, SavesElevenLittleEndianWordsAndReadsThemBack) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");

    ASSERT_TRUE(AviOptionsFile::Save(path.toStdString(), MotionJpeg()));

    const QByteArray bytes = ReadAll(path);
    ASSERT_EQ(bytes.size(), 44);
    EXPECT_EQ(0, std::memcmp(bytes.constData(), kMotionJpegBytes, 44));
    EXPECT_EQ(AviOptionsFile::Load(path.toStdString()), MotionJpeg());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"quorvtv.avs"});
}

// Pointers and sizes mean nothing on disk; a loaded record is marked valid.
TEST(AviOptionsFileTest, LoadClearsPointersAndMarksTheRecordValid) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");
    QByteArray bytes(reinterpret_cast<const char*>(kMotionJpegBytes), 44);
    bytes[20] = 0;  // flags without the valid bit
    for (int at = 24; at < 40; ++at) {
        bytes[at] = char(0x5A);
    }
    WriteAll(path, bytes);

    const AviCompressionOptions loaded = AviOptionsFile::Load(path.toStdString());
    EXPECT_EQ(loaded.flags, AviCompressionOptions::kFlagValid);
    EXPECT_EQ(loaded.formatPointer | loaded.formatSize, 0u);
    EXPECT_EQ(loaded.parametersPointer | loaded.parametersSize, 0u);
    EXPECT_EQ(loaded.handler, AviFourCC("MJPG"));
}

TEST(AviOptionsFileTest, AFileOfAnyOtherLengthCountsAsAbsent) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");
    const QByteArray whole(reinterpret_cast<const char*>(kMotionJpegBytes), 44);
    for (const QByteArray& content : {QByteArray(), whole.left(43), whole + 'x', whole + whole}) {
        SCOPED_TRACE(content.size());
        WriteAll(path, content);
        EXPECT_EQ(AviOptionsFile::Load(path.toStdString()), AviCompressionOptions{});
    }
    EXPECT_EQ(AviOptionsFile::Load(folder.filePath("missing.avs").toStdString()),
              AviCompressionOptions{});
}

TEST(AviOptionsFileTest, AnUnknownCompressorFallsBackToUncompressed) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");
    QByteArray bytes(reinterpret_cast<const char*>(kMotionJpegBytes), 44);
    bytes.replace(4, 4, "XVID");
    WriteAll(path, bytes);

    const AviCompressionOptions loaded = AviOptionsFile::Load(path.toStdString());
    EXPECT_EQ(loaded.handler, AviCompressor::Uncompressed().fourCC);
    EXPECT_EQ(loaded.keyFrameEvery, 15u);
}

TEST(AviOptionsFileTest, SaveReplacesTheFileAndFailsInAMissingFolder) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");
    WriteAll(path, QByteArray(100, 'o'));

    ASSERT_TRUE(AviOptionsFile::Save(path.toStdString(), MotionJpeg()));
    EXPECT_EQ(ReadAll(path).size(), 44);
    EXPECT_FALSE(AviOptionsFile::Save(folder.filePath("none/quorvtv.avs").toStdString(), {}));
}

// Bytes this process has read so far, whatever it read them from.
uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return 0;
}

// A valid file holds 44 bytes; a file of another size (here a 64 MiB one) is
// ignored without reading it into memory, and so is anything not a file.
TEST(AviOptionsFileTest, AFileOfAnotherSizeIsNotRead) {
    QTemporaryDir folder;
    const QString path = folder.filePath("quorvtv.avs");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(64 << 20));
    }
    const uint64_t before = BytesRead();
    EXPECT_EQ(AviOptionsFile::Load(path.toStdString()), AviCompressionOptions{});
    EXPECT_LT(BytesRead() - before, 64u * 1024);

    EXPECT_EQ(AviOptionsFile::Load(folder.path().toStdString()), AviCompressionOptions{});
}

}  // namespace
