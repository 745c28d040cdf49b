#include "app/HeadlessCapture.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QImageWriter>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "app/HardwarePlatform.h"
#include "app/NamedCompressorChoice.h"
#include "engine/CaptureEngine.h"
#include "engine/FrameThread.h"
#include "engine/ThreadRegistry.h"
#include "hardware/CaptureCard.h"
#include "platform/TerminationSignals.h"
#include "platform/VideoSurface.h"
#include "platform/WarningBox.h"

namespace {

constexpr int kAboveNormalPriority = 1;
constexpr int kSnapshotCapture_ms = 1200;
constexpr int kStopCheck_ms = 10;
constexpr int kRecordGrace_s = 5;

// Runs the frame thread for the life of the object.
class RunningCapture {
public:
    explicit RunningCapture(CaptureEngine& engine) {
        auto* thread = new FrameThread(&engine, &registry_);
        thread_ = StartThread(thread, kAboveNormalPriority) ? thread : nullptr;
    }
    ~RunningCapture() { StopThread(thread_); }
    bool IsRunning() const { return thread_ != nullptr; }

private:
    ThreadRegistry registry_;
    QuorvWinThread* thread_ = nullptr;
};

// Holds the card's warnings while it looks for the chip, so a failure is told
// in one line with the reason rather than in two.
class HeldWarnings : public WarningBox {
public:
    HeldWarnings() { SetWarningBox(this); }
    ~HeldWarnings() override { SetWarningBox(nullptr); }
    void Show(const std::string& text) override { text_ = text; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

bool CanWriteImage(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable() &&
           QImageWriter::supportedImageFormats().contains(file.suffix().toLower().toLatin1());
}

uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

}  // namespace

HeadlessCapture::HeadlessCapture(HardwarePlatform& hardware, std::string channelFile,
                                 std::string optionsFile)
    : hardware_(hardware),
      channelFile_(std::move(channelFile)),
      optionsFile_(std::move(optionsFile)) {}

HeadlessCapture::~HeadlessCapture() = default;

bool HeadlessCapture::Tune(CaptureEngine& engine) const {
    std::string report;
    if (!tuning_.Apply(engine, report)) {
        std::fprintf(stderr, "quorvtv: %s\n", report.c_str());
        return false;
    }
    if (!report.empty()) {
        std::printf("quorvtv: %s\n", report.c_str());
    }
    return true;
}

bool HeadlessCapture::FindCard() {
    HeldWarnings warnings;
    card_ = std::make_unique<CaptureCard>(hardware_.Ports(), hardware_.Driver());
    if (!card_->IsPresent()) {
        std::fprintf(stderr, "quorvtv: no capture card found (%s)\n", warnings.Text().c_str());
        card_.reset();
        return false;
    }
    card_->SetBoardLines(3);
    card_->SelectInput(2);
    return true;
}

int HeadlessCapture::Snapshot(const std::string& imagePath) {
    if (!CanWriteImage(imagePath)) {
        std::fprintf(stderr, "quorvtv: can't write an image to '%s'\n", imagePath.c_str());
        return 1;
    }
    if (!FindCard()) {
        return 1;
    }
    NamedCompressorChoice noDialog("");
    VideoSurface surface(nullptr, QPoint(5, 5));
    CaptureEngine engine(card_.get(), &surface, 5, 5,
                         {channelFile_, &noDialog, optionsFile_, [] {}});
    if (!Tune(engine)) {
        return 2;
    }
    {
        RunningCapture capture(engine);
        QEventLoop loop;
        QTimer::singleShot(kSnapshotCapture_ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!surface.Latest().save(QString::fromStdString(imagePath))) {
        std::fprintf(stderr, "quorvtv: can't write an image to '%s'\n", imagePath.c_str());
        return 1;
    }
    std::printf("quorvtv: saved the picture to %s\n", imagePath.c_str());
    return 0;
}

int HeadlessCapture::Record(const std::string& path, int seconds, const std::string& codec) {
    NamedCompressorChoice choice(codec);
    if (!choice.IsKnown()) {
        std::fprintf(stderr, "quorvtv: unknown codec '%s' (available: %s)\n", codec.c_str(),
                     NamedCompressorChoice::KnownNames().c_str());
        return 2;
    }
    if (!FindCard()) {
        return 1;
    }
    CaptureEngine engine(card_.get(), nullptr, 5, 5, {channelFile_, &choice, optionsFile_, [] {}});
    if (!Tune(engine)) {
        return 2;
    }
    if (!engine.Open(path, engine.GetFrameRecord()->Data())) {
        std::fprintf(stderr, "quorvtv: can't record into '%s'\n", path.c_str());
        return 1;
    }
    int elapsed_s = 0;
    {
        const int wantedFrames = seconds * AviRecorder::kFramesPerSecond;
        engine.SetRecording(true);
        RunningCapture capture(engine);
        QEventLoop loop;
        TerminationSignals terminations;
        QObject::connect(&terminations, &TerminationSignals::Received, &loop, &QEventLoop::quit);
        // The file holds `seconds` of video when it holds their frames; a
        // wall-clock stop would be off by the timer's slack and the frames
        // the card was late with. Past the grace time, what arrived is kept.
        QTimer enough;
        enough.setTimerType(Qt::PreciseTimer);
        QObject::connect(&enough, &QTimer::timeout, &loop, [&] {
            if (engine.FramesWritten() >= wantedFrames || elapsed_s >= seconds + kRecordGrace_s) {
                engine.SetRecording(false);
                loop.quit();
            }
        });
        enough.start(kStopCheck_ms);
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            ++elapsed_s;
            std::printf("quorvtv: %d s, %d frames, %ju bytes\n", elapsed_s, engine.FramesWritten(),
                        FileSize(path));
            std::fflush(stdout);
        });
        tick.start(1000);
        loop.exec();
        engine.SetRecording(false);
    }
    const int frames = engine.FramesWritten();
    engine.Close();
    std::printf("quorvtv: wrote %d frames (%.2f s at 20 frames/s) to %s, %ju bytes\n", frames,
                frames / 20.0, path.c_str(), FileSize(path));
    return 0;
}
