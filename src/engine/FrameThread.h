#pragma once

#include "engine/QuorvWinThread.h"

class CaptureEngine;

// The worker thread that runs the capture loop: its work step is one
// CaptureEngine::FrameStep, repeated until the thread is stopped.
//
// A frame is taken only by a pass during the even field in which the chip's
// field counter changed, so a wake-up more than about 20 ms late loses it. The
// thread therefore asks for real-time scheduling (SCHED_FIFO at
// kRealtimePriority) as it starts, through CurrentRealtimeScheduling(), and
// keeps the priority it was started at where the system refuses. It never
// spins: every pass sleeps 2 ms.
class FrameThread : public QuorvWinThread {
public:
    // Below the 20 that RealtimeKit allows at most by default, so audio
    // threads of the desktop keep precedence.
    static constexpr int kRealtimePriority = 10;

    FrameThread(CaptureEngine* engine, ThreadRegistry* registry);
    ~FrameThread() override;

    int Work() override;
    const char* ThreadName() const override { return "quorv-frame"; }

protected:
    void BeginWork() override;

private:
    CaptureEngine* engine_;
};
