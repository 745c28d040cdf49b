#include "engine/QuorvWinThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "engine/ThreadRegistry.h"
#include "platform/MessagePump.h"

namespace {

// Linux gives each thread its own nice value. One priority step is five nice
// steps, so highest (2) is nice -10 and lowest (-2) nice 10.
int NiceFor(int priority) {
    return std::clamp(-5 * priority, -20, 19);
}

}  // namespace

QuorvWinThread::QuorvWinThread(ThreadRegistry* registry) : registry_(registry) {
    if (registry_ != nullptr) {
        registry_->Add(this);
    }
}

QuorvWinThread::~QuorvWinThread() {
    if (thread_.joinable()) {
        stopEvent_.Set();
        thread_.join();
    }
    if (registry_ != nullptr) {
        registry_->Remove(this);
    }
}

int QuorvWinThread::Work() {
    stopEvent_.Wait();
    return 1;
}

bool QuorvWinThread::Start(int priority) {
    if (started_) {
        return false;
    }
    running_ = true;
    try {
        thread_ = std::thread(&QuorvWinThread::Run, this, priority);
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    started_ = true;
    return true;
}

bool QuorvWinThread::IsRunning() const {
    return running_.load(std::memory_order_acquire);
}

void QuorvWinThread::Stop() {
    stopEvent_.Set();
    if (!started_) {
        return;
    }
    SetPriority(kHighestPriority);
    while (!doneEvent_.WaitMs(stopWaitSlice_ms_)) {
        PumpMessages();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

// The thread starts at its priority before its first Work, as a thread created
// suspended, given its priority and resumed would.
void QuorvWinThread::Run(int priority) {
    {
        std::lock_guard<std::mutex> guard(taskMutex_);
        task_ = gettid();
    }
    pthread_setname_np(pthread_self(), ThreadName());
    SetPriority(priority);
    int done = 0;
    try {
        BeginWork();
        while (!stopEvent_.IsSet() && done == 0) {
            done = Work();
        }
    } catch (...) {
        // An exception must not end the process from a worker thread; the
        // thread simply ends, as if Work had reported it was finished.
    }
    Finish();
}

void QuorvWinThread::Finish() {
    doneEvent_.Set();
    std::lock_guard<std::mutex> guard(taskMutex_);
    task_ = 0;
    running_.store(false, std::memory_order_release);
}

// Raising a priority needs CAP_SYS_NICE, which the program normally lacks;
// the thread then keeps the priority it has, and the program works the same,
// only with less head start.
void QuorvWinThread::SetPriority(int priority) {
    std::lock_guard<std::mutex> guard(taskMutex_);
    if (task_ != 0) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(task_), NiceFor(priority));
    }
}

bool StartThread(QuorvWinThread* thread, int priority) {
    if (thread == nullptr || thread->HasStarted()) {
        return false;
    }
    if (!thread->Start(priority)) {
        delete thread;
        return false;
    }
    return true;
}

bool StopThread(QuorvWinThread* thread) {
    if (thread == nullptr) {
        return false;
    }
    if (thread->IsRunning()) {
        thread->Stop();
    }
    delete thread;
    return true;
}

bool IsThreadRunning(const QuorvWinThread* thread) {
    return thread != nullptr && thread->IsRunning();
}
