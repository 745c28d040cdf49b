#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/RealtimeScheduling.h"

class RealtimeKitClient;

// Real-time scheduling as Linux gives it: SCHED_FIFO set directly when the
// process may (CAP_SYS_NICE, or an RLIMIT_RTPRIO that allows the priority),
// otherwise through the desktop's RealtimeKit service, within its published
// limits, otherwise nothing.
//
// A runaway is ended rather than left to freeze the machine: before a thread
// becomes real-time, the process's RLIMIT_RTTIME is lowered to at most
// kRealtimeBudget_us (and to what RealtimeKit demands), so a real-time thread
// that runs that long without blocking is killed by the kernel. It is never
// raised. A direct SCHED_FIFO also carries SCHED_RESET_ON_FORK, so children
// start at normal priority.
class LinuxRealtimeScheduling : public RealtimeScheduling {
public:
    static constexpr int64_t kRealtimeBudget_us = 200'000;

    // Whether the process may set SCHED_FIFO at `priority` itself.
    using Permission = std::function<bool(int priority)>;

    // `realtimeKit` must outlive this object.
    LinuxRealtimeScheduling(Permission mayScheduleDirectly, RealtimeKitClient& realtimeKit);

    Grant MakeCallingThreadRealtime(int priority) override;

    // The process's own permission: CAP_SYS_NICE in its effective set, or a
    // soft RLIMIT_RTPRIO of at least `priority`.
    static bool ProcessMayScheduleRealtime(int priority);

private:
    Permission mayScheduleDirectly_;
    RealtimeKitClient& realtimeKit_;
    std::mutex mutex_;
};
