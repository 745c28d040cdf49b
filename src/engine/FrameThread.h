#pragma once

#include "engine/QuorvWinThread.h"

class CaptureEngine;

// The worker thread that runs the capture loop: its work step is one
// CaptureEngine::FrameStep, repeated until the thread is stopped.
class FrameThread : public QuorvWinThread {
public:
    FrameThread(CaptureEngine* engine, ThreadRegistry* registry);
    ~FrameThread() override;

    int Work() override;
    const char* ThreadName() const override { return "quorv-frame"; }

private:
    CaptureEngine* engine_;
};
