#include "platform/LinuxRealtimeScheduling.h"

#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "platform/RealtimeKitClient.h"

namespace {

// Lowers RLIMIT_RTTIME, soft and hard, to `budget_us` unless it is lower
// already. RealtimeKit serves only processes whose hard limit is within its
// own maximum, and the kernel kills a real-time thread at the hard limit.
bool LimitRealtimeRunTime(int64_t budget_us) {
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0) {
        return false;
    }
    const rlim_t budget = static_cast<rlim_t>(budget_us);
    limit.rlim_max = limit.rlim_max == RLIM_INFINITY ? budget : std::min(limit.rlim_max, budget);
    limit.rlim_cur =
        limit.rlim_cur == RLIM_INFINITY ? limit.rlim_max : std::min(limit.rlim_cur, limit.rlim_max);
    return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

bool SetFifo(int priority) {
    sched_param parameters{};
    parameters.sched_priority = priority;
    // Thread 0: the calling thread only, not the whole process.
    return sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &parameters) == 0;
}

bool HasSysNice() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    return (data[CAP_SYS_NICE / 32].effective & (1u << (CAP_SYS_NICE % 32))) != 0;
}

}  // namespace

LinuxRealtimeScheduling::LinuxRealtimeScheduling(Permission mayScheduleDirectly,
                                                 RealtimeKitClient& realtimeKit)
    : mayScheduleDirectly_(std::move(mayScheduleDirectly)), realtimeKit_(realtimeKit) {}

// A process that may set the policy itself still asks RealtimeKit when the
// kernel refuses after all (a container without real-time bandwidth, say).
RealtimeScheduling::Grant LinuxRealtimeScheduling::MakeCallingThreadRealtime(int priority) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (mayScheduleDirectly_(priority) && LimitRealtimeRunTime(kRealtimeBudget_us) &&
        SetFifo(priority)) {
        return Grant::kDirect;
    }
    const std::optional<RealtimeKitClient::Limits> limits = realtimeKit_.QueryLimits();
    if (!limits || limits->maxRealtimePriority < 1 || limits->rtTimeMax_us < 1) {
        return Grant::kUnchanged;
    }
    const int granted = std::min(priority, limits->maxRealtimePriority);
    if (!LimitRealtimeRunTime(std::min(kRealtimeBudget_us, limits->rtTimeMax_us)) ||
        !realtimeKit_.MakeThreadRealtime(static_cast<uint64_t>(gettid()),
                                         static_cast<uint32_t>(granted))) {
        return Grant::kUnchanged;
    }
    return Grant::kRealtimeKit;
}

bool LinuxRealtimeScheduling::ProcessMayScheduleRealtime(int priority) {
    if (HasSysNice()) {
        return true;
    }
    rlimit limit{};
    return getrlimit(RLIMIT_RTPRIO, &limit) == 0 &&
           (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= static_cast<rlim_t>(priority));
}
