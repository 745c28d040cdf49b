#include "platform/RealtimeScheduling.h"

#include <atomic>

#include "platform/LinuxRealtimeScheduling.h"
#include "platform/RealtimeKitClient.h"

namespace {

std::atomic<RealtimeScheduling*> installedScheduling{nullptr};

// Built at the first request; it reaches the system bus only when asked to.
RealtimeScheduling& SystemScheduling() {
    static RealtimeKitClient systemBusKit;
    static LinuxRealtimeScheduling scheduling(LinuxRealtimeScheduling::ProcessMayScheduleRealtime,
                                              systemBusKit);
    return scheduling;
}

}  // namespace

RealtimeScheduling& CurrentRealtimeScheduling() {
    RealtimeScheduling* scheduling = installedScheduling.load(std::memory_order_acquire);
    return scheduling ? *scheduling : SystemScheduling();
}

RealtimeScheduling* SetRealtimeScheduling(RealtimeScheduling* scheduling) {
    return installedScheduling.exchange(scheduling, std::memory_order_acq_rel);
}
