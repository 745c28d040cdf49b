#include "app/NamedCompressorChoice.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/AviRecorder.h"
#include "platform/AviCompressor.h"
#include "platform/AviOptionsFile.h"
#include "support/RecorderFileProbe.h"
#include "support/RecorderTestFrame.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The command line's codec is for that run: the options file keeps what the
// compression dialog last chose, which a run without --codec then uses.
TEST(NamedCompressorChoiceTest, ACodecNamedOnTheCommandLineIsForThatRunOnly) {
    QTemporaryDir folder;
    const QString optionsPath = folder.filePath("quorvtv.avs");
    AviCompressionOptions chosen;
    chosen.streamType = AviFourCC("vids");
    chosen.handler = AviFourCC("MJPG");
    chosen.quality = 5000;
    ASSERT_TRUE(AviOptionsFile::Save(optionsPath.toStdString(), chosen));
    const QByteArray remembered = ReadAll(optionsPath);
    const std::pair<const char*, const char*> runs[] = {
        {"ffv1", "ffv1"}, {"raw", "rawvideo"}, {"", "mjpeg"}};
    for (const auto& [name, codec] : runs) {
        NamedCompressorChoice choice(name);
        AviRecorder recorder(choice, optionsPath.toStdString(), nullptr);
        RecorderTestFrame frame;
        const QString path = folder.filePath(QString("run-%1.avi").arg(name));
        ASSERT_TRUE(recorder.Open(path.toStdString(), frame.Record())) << name;
        recorder.Close();
        EXPECT_EQ(RecorderFileProbe::Probe(path).codec, codec) << name;
        EXPECT_EQ(ReadAll(optionsPath), remembered) << name;
    }
}

}  // namespace
