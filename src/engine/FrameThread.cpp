#include "engine/FrameThread.h"

#include "engine/CaptureEngine.h"

FrameThread::FrameThread(CaptureEngine* engine, ThreadRegistry* registry)
    : QuorvWinThread(registry), engine_(engine) {}

FrameThread::~FrameThread() = default;

int FrameThread::Work() {
    engine_->FrameStep();
    return 0;
}
