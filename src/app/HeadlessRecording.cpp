#include "app/HeadlessRecording.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <optional>

#include "display/StatusOverlay.h"
#include "engine/CaptureEngine.h"
#include "platform/Clock.h"
#include "platform/DiskSpaceService.h"
#include "platform/TerminationSignals.h"
#include "util/PathUtils.h"

namespace {

constexpr int kStopCheck_ms = 10;
constexpr int kProgress_ms = 1000;

}  // namespace

HeadlessRecording::HeadlessRecording(CaptureEngine& engine, std::string path, int seconds)
    : engine_(engine), path_(std::move(path)), seconds_(seconds) {}

// The recorder ends the stretch itself once its frames are due; the clock
// check ends it when frames stopped coming, and the pause then fills the
// slots that passed with the last picture.
void HeadlessRecording::Record() {
    const uint32_t length_ms = static_cast<uint32_t>(seconds_) * 1000;
    engine_.LimitWriting(seconds_ * AviRecorder::kFramesPerSecond);
    const uint32_t start_ms = CurrentClock().TickCount();
    engine_.SetRecording(true);
    QEventLoop loop;
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::Received, &loop, [&] {
        terminated_ = true;
        loop.quit();
    });
    QTimer stopCheck;
    stopCheck.setTimerType(Qt::PreciseTimer);
    QObject::connect(&stopCheck, &QTimer::timeout, &loop, [&] {
        const uint32_t now_ms = CurrentClock().TickCount();
        if (!engine_.IsRecording() ||
            TicksElapsed(now_ms, start_ms, length_ms + AviRecorder::kFrameInterval_ms)) {
            loop.quit();
        }
    });
    stopCheck.start(kStopCheck_ms);
    int elapsed_s = 0;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] {
        if (DiskIsLow()) {
            diskLow_ = true;
            loop.quit();
            return;
        }
        std::printf("quorvtv: %d s, %d frames, %ju bytes\n", ++elapsed_s, engine_.FramesWritten(),
                    FileSizeOrZero(path_));
        std::fflush(stdout);
    });
    progress.start(kProgress_ms);
    loop.exec();
    engine_.SetRecording(false);
}

// The panel's rule: below 10 MiB free a recording ends; a query that fails
// never ends one.
bool HeadlessRecording::DiskIsLow() const {
    const std::optional<uint64_t> free = CurrentDiskSpaceService().FreeBytes(path_);
    return free && *free < StatusOverlay::kLowDiskBytes;
}

int HeadlessRecording::Finish() {
    engine_.Close();
    const AviRecorder::ClosedFile file = engine_.LastClosedFile();
    std::printf("quorvtv: wrote %d frames (%.2f s at 20 frames/s) to %s, %ju bytes\n",
                file.framesWritten, file.framesWritten / double(AviRecorder::kFramesPerSecond),
                path_.c_str(), FileSizeOrZero(path_));
    const int due = seconds_ * AviRecorder::kFramesPerSecond;
    const int lost = terminated_ ? file.framesLost : due - file.framesWritten;
    if (diskLow_) {
        std::fprintf(stderr,
                     "quorvtv: stopped with less than 10 MiB free on the disk of '%s'; %d of %d "
                     "frames were not recorded\n",
                     path_.c_str(), lost, due);
    } else if (lost > 0) {
        std::fprintf(stderr, "quorvtv: %d of %d frames were lost\n", lost, due);
    }
    if (!file.finished) {
        std::fprintf(stderr, "quorvtv: '%s' could not be finished: %s\n", path_.c_str(),
                     file.problem.c_str());
    }
    return diskLow_ || lost > 0 || !file.finished ? 1 : 0;
}
