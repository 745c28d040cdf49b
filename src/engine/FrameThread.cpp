#include "engine/FrameThread.h"

#include "engine/CaptureEngine.h"
#include "platform/PerformanceLog.h"
#include "platform/RealtimeScheduling.h"

FrameThread::FrameThread(CaptureEngine* engine, ThreadRegistry* registry)
    : QuorvWinThread(registry), engine_(engine) {}

FrameThread::~FrameThread() = default;

int FrameThread::Work() {
    engine_->FrameStep();
    return 0;
}

void FrameThread::BeginWork() {
    PerformanceLog::FrameThreadScheduling(
        CurrentRealtimeScheduling().MakeCallingThreadRealtime(kRealtimePriority));
}
