#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "platform/RealtimeScheduling.h"

// Real-time scheduling that changes nothing: it answers with `grant` and
// remembers who asked. Installed for its lifetime; the one it replaced comes
// back afterwards. TestMain installs one for every test program, so no test
// thread becomes real-time (a frame loop on a stepped clock never sleeps) and
// no test reaches the machine's RealtimeKit.
class FakeRealtimeScheduling : public RealtimeScheduling {
public:
    struct Request {
        pid_t thread;
        int priority;
    };

    explicit FakeRealtimeScheduling(Grant grant = Grant::kUnchanged)
        : grant_(grant), replaced_(SetRealtimeScheduling(this)) {}
    FakeRealtimeScheduling(const FakeRealtimeScheduling&) = delete;
    FakeRealtimeScheduling& operator=(const FakeRealtimeScheduling&) = delete;
    ~FakeRealtimeScheduling() override { SetRealtimeScheduling(replaced_); }

    Grant MakeCallingThreadRealtime(int priority) override {
        std::lock_guard<std::mutex> guard(mutex_);
        requests_.push_back({gettid(), priority});
        return grant_;
    }

    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return requests_;
    }

private:
    const Grant grant_;
    RealtimeScheduling* const replaced_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};
