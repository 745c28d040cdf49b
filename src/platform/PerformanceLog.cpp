#include "platform/PerformanceLog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace PerformanceLog {
namespace {

bool Enabled(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

void FramesShown(int shown_fps, int frames, uint32_t interval_ms) {
    static const bool enabled = Enabled("QUORVTV_LOG_FPS");
    if (enabled) {
        std::fprintf(stderr, "quorvtv: fps %d shown, %d frames in %u ms at %.6f s\n", shown_fps,
                     frames, interval_ms, MonotonicSeconds());
    }
}

void FrameTaken(uint32_t fieldCount) {
    static const bool enabled = Enabled("QUORVTV_LOG_FPS");
    static int previous = -1;
    if (!enabled) {
        return;
    }
    const int fields = static_cast<int>(fieldCount & 0xFF);
    if (previous >= 0) {
        const int missed = ((fields - previous) & 0xFF) / 2 - 1;
        if (missed > 0) {
            std::fprintf(stderr, "quorvtv: missed %d frames at %.6f s\n", missed,
                         MonotonicSeconds());
        }
    }
    previous = fields;
}

void FrameThreadScheduling(RealtimeScheduling::Grant grant) {
    static const bool enabled = Enabled("QUORVTV_LOG_STARTUP");
    if (!enabled) {
        return;
    }
    const char* how = "unchanged";
    if (grant == RealtimeScheduling::Grant::kDirect) {
        how = "realtime-direct";
    } else if (grant == RealtimeScheduling::Grant::kRealtimeKit) {
        how = "realtime-kit";
    }
    std::fprintf(stderr, "quorvtv: frame thread scheduling %s at %.6f s\n", how,
                 MonotonicSeconds());
}

// The variable is read once; after the first frame only the flag is looked at,
// so the paint path pays one relaxed load per paint.
void FramePainted() {
    static const bool enabled = Enabled("QUORVTV_LOG_STARTUP");
    static std::atomic<bool> logged{false};
    if (enabled && !logged.load(std::memory_order_relaxed) && !logged.exchange(true)) {
        std::fprintf(stderr, "quorvtv: first frame painted at %.6f s\n", MonotonicSeconds());
    }
}

void RecordingChanged(const char* event, int framesWritten) {
    static const bool enabled = Enabled("QUORVTV_LOG_RECORDING");
    if (enabled) {
        std::fprintf(stderr, "quorvtv: recording %s at %.6f s, %d frames\n", event,
                     MonotonicSeconds(), framesWritten);
    }
}

}  // namespace PerformanceLog
