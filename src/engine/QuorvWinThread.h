#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/ManualResetEvent.h"

class ThreadRegistry;

// A worker thread that calls Work() over and over until Work() reports that it
// is finished or another thread asks it to stop. Created idle; StartThread
// runs it, StopThread stops and deletes it. A stopped object can't be
// restarted.
//
// Ownership: the creator owns the object until it hands it to StartThread
// (which deletes it on failure) and StopThread (which always deletes it).
// Delete a started object only through StopThread: a subclass's Work must not
// run while the subclass is being destroyed.
//
// Thread safety: Work runs on the worker thread; everything else on the
// thread that creates, starts and stops the object (the user-interface
// thread for the frame thread). IsRunning may be asked from any thread.
class QuorvWinThread {
public:
    // Priorities as the program passes them: 0 normal, 1 above normal,
    // 2 highest, -1 below normal, -2 lowest. On Linux a thread runs at nice
    // -5 × priority (clamped to -20 … 19); raising needs CAP_SYS_NICE and is
    // skipped silently without it.
    static constexpr int kHighestPriority = 2;
    static constexpr uint32_t kStopWaitSlice_ms = 1000;

    // Registers the object in `registry` when it isn't null.
    explicit QuorvWinThread(ThreadRegistry* registry = nullptr);
    QuorvWinThread(const QuorvWinThread&) = delete;
    QuorvWinThread& operator=(const QuorvWinThread&) = delete;

    // Unregisters the object. A worker still running is asked to stop and
    // waited for (without dispatching events).
    virtual ~QuorvWinThread();

    // One step of work, on the worker thread. Non-zero: finished, the thread
    // ends. The default waits until a stop is requested and returns 1.
    virtual int Work();

    // The worker's name as tools show it (top -H, /proc/<pid>/task/*/comm): at
    // most 15 characters, set before the first Work.
    virtual const char* ThreadName() const { return "quorv-worker"; }

    // Asks the worker to stop, raises its priority so it gets there soon, and
    // waits until it has ended, dispatching the calling thread's events every
    // stop-wait slice so the user interface stays responsive. Waits as long as
    // it takes. Does not delete the object.
    virtual void Stop();

    // True from a successful start until the worker has ended.
    bool IsRunning() const;

    // Starts the worker at `priority` (best effort). False when the thread
    // can't be created, or when this object was started before (nothing
    // changes then).
    bool Start(int priority);

    bool HasStarted() const { return started_; }

    // How long Stop waits between two rounds of event dispatching. Tests
    // shorten it; the program keeps kStopWaitSlice_ms.
    void SetStopWaitSlice(uint32_t slice_ms) { stopWaitSlice_ms_ = slice_ms; }

protected:
    // Runs on the worker once, after its priority is set and before the
    // first Work. The default does nothing.
    virtual void BeginWork() {}

    // True once a stop has been requested; a long Work may poll it.
    bool IsStopRequested() const { return stopEvent_.IsSet(); }

    // Waits until a stop is requested or `timeout_ms` passes; true when requested.
    bool WaitForStopRequest(uint32_t timeout_ms) { return stopEvent_.WaitMs(timeout_ms); }

private:
    void Run(int priority);
    void SetPriority(int priority);
    void Finish();

    ManualResetEvent stopEvent_;
    ManualResetEvent doneEvent_;
    ThreadRegistry* registry_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> running_{false};
    uint32_t stopWaitSlice_ms_ = kStopWaitSlice_ms;

    // Guards the worker's kernel thread id: set while the worker lives, 0
    // before and after, so a priority change never reaches a reused id.
    std::mutex taskMutex_;
    pid_t task_ = 0;
};

// Starts `thread` at `priority`. False for a null thread; false when the
// thread can't be started, and the object is then deleted.
bool StartThread(QuorvWinThread* thread, int priority);

// Stops `thread` if it still runs (see QuorvWinThread::Stop) and deletes it.
// A thread that has already ended is deleted without waiting. False only for
// a null thread.
bool StopThread(QuorvWinThread* thread);

// True when `thread` isn't null and its worker still runs.
bool IsThreadRunning(const QuorvWinThread* thread);
