#include "app/HeadlessCapture.h"

#include <unistd.h>
#include <QBuffer>
#include <QEventLoop>
#include <QImageWriter>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/HardwarePlatform.h"
#include "app/HeadlessRawCapture.h"
#include "app/HeadlessRecording.h"
#include "app/NamedCompressorChoice.h"
#include "engine/CaptureEngine.h"
#include "engine/FrameThread.h"
#include "engine/RawCaptureWriter.h"
#include "engine/ThreadRegistry.h"
#include "hardware/CaptureCard.h"
#include "platform/VideoSurface.h"
#include "platform/WarningBox.h"

namespace {

constexpr int kAboveNormalPriority = 1;
constexpr int kSnapshotCapture_ms = 1200;

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

// The raw capture's tap, attached once the channel is tuned: a channel that
// can't be tuned must not leave an empty capture behind, which a second try
// into the same folder would be refused for. Attached before the frame thread
// starts, so no frame races the attachment.
class LaterTap : public FrameTap {
public:
    void Attach(FrameTap* target) { target_ = target; }
    void OnFrame(const uint8_t* samples, uint32_t fieldCount, CaptureCard& card) override {
        target_->OnFrame(samples, fieldCount, card);
    }

private:
    FrameTap* target_ = &FrameTap::None();
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

// Picture names are used byte for byte and never pass through a QString: a
// name that isn't valid UTF-8 would come out as another name.
std::string PictureFormat(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool known = !extension.empty() && QImageWriter::supportedImageFormats().contains(
                                                 QByteArray::fromStdString(extension));
    return known ? extension : std::string();
}

std::string SupportedPictureFormats() {
    std::string names;
    for (const QByteArray& format : QImageWriter::supportedImageFormats()) {
        names += (names.empty() ? "" : ", ") + format.toStdString();
    }
    return names;
}

bool FolderIsWritable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code error;
    return std::filesystem::is_directory(folder, error) && ::access(folder.c_str(), W_OK) == 0;
}

bool WritePicture(const QImage& picture, const std::string& path, const std::string& format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format.c_str())) {
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.constData(), bytes.size());
    file.close();
    if (!file) {
        std::remove(path.c_str());
        return false;
    }
    return true;
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
    const std::string format = PictureFormat(imagePath);
    if (format.empty()) {
        std::fprintf(stderr,
                     "quorvtv: can't save a picture as '%s': its extension is not a supported "
                     "picture format (%s)\n",
                     imagePath.c_str(), SupportedPictureFormats().c_str());
        return 2;
    }
    if (!FolderIsWritable(imagePath)) {
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
    if (!WritePicture(surface.Latest(), imagePath, format)) {
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
        std::fprintf(stderr, "quorvtv: can't record into '%s': %s\n", path.c_str(),
                     engine.OpenProblem().c_str());
        return 1;
    }
    HeadlessRecording recording(engine, path, seconds);
    {
        RunningCapture capture(engine);
        recording.Record();
    }
    return recording.Finish();
}

int HeadlessCapture::DumpRaw(const std::string& folder, int seconds) {
    if (!FindCard()) {
        return 1;
    }
    NamedCompressorChoice noDialog("");
    LaterTap tap;
    CaptureEngine engine(card_.get(), nullptr, 5, 5,
                         {channelFile_, &noDialog, optionsFile_, [] {}, &tap});
    if (!Tune(engine)) {
        return 2;
    }
    std::string error;
    std::unique_ptr<RawCaptureWriter> writer = RawCaptureWriter::Open(folder, error);
    if (!writer) {
        std::fprintf(stderr, "quorvtv: %s\n", error.c_str());
        return 1;
    }
    tap.Attach(writer.get());
    HeadlessRawCapture capture(*writer, seconds);
    {
        RunningCapture running(engine);
        capture.Capture();
    }
    return capture.Finish();
}
