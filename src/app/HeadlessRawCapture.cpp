#include "app/HeadlessRawCapture.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <string>

#include "engine/RawCaptureWriter.h"
#include "platform/TerminationSignals.h"
#include "util/PathUtils.h"

namespace {

constexpr int kStopCheck_ms = 10;
constexpr int kProgress_ms = 1000;
constexpr int kGrace_s = 5;
constexpr uint32_t kCardFramesPerSecond = 25;

}  // namespace

HeadlessRawCapture::HeadlessRawCapture(RawCaptureWriter& writer, int seconds)
    : writer_(writer), seconds_(seconds) {}

void HeadlessRawCapture::Capture() {
    const uint32_t wantedFrames = static_cast<uint32_t>(seconds_) * kCardFramesPerSecond;
    QEventLoop loop;
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::Received, &loop, &QEventLoop::quit);
    int elapsed_s = 0;
    QTimer enough;
    QObject::connect(&enough, &QTimer::timeout, &loop, [&] {
        const RawCaptureFormat::Totals totals = writer_.GetTotals();
        if (totals.frames + totals.missed + totals.dropped >= wantedFrames ||
            elapsed_s >= seconds_ + kGrace_s) {
            loop.quit();
        }
    });
    enough.start(kStopCheck_ms);
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] {
        const RawCaptureFormat::Totals totals = writer_.GetTotals();
        std::printf("quorvtv: %d s, %u frames, %u missed, %u dropped\n", ++elapsed_s, totals.frames,
                    totals.missed, totals.dropped);
        std::fflush(stdout);
    });
    progress.start(kProgress_ms);
    loop.exec();
}

int HeadlessRawCapture::Finish() {
    std::string error;
    if (!writer_.Close(error)) {
        std::fprintf(stderr, "quorvtv: %s\n", error.c_str());
        return 1;
    }
    const RawCaptureFormat::Totals totals = writer_.GetTotals();
    if (totals.frames == 0) {
        std::fprintf(stderr, "quorvtv: no frame arrived from the card in %d s\n",
                     seconds_ + kGrace_s);
        return 1;
    }
    std::printf("quorvtv: wrote %u frames (%u missed, %u dropped) to %s, %ju bytes\n",
                totals.frames, totals.missed, totals.dropped, writer_.SamplesPath().c_str(),
                FileSizeOrZero(writer_.SamplesPath()));
    return 0;
}
