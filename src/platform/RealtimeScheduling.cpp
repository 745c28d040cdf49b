#include "platform/RealtimeScheduling.h"

#include <atomic>

#include "platform/LinuxRealtimeScheduling.h"
#include "platform/RealtimeKitClient.h"

namespace {

std::atomic<RealtimeScheduling*> installedScheduling{nullptr};

// Built at the first request, so a program that never asks never reaches the
// system bus.
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

void SetRealtimeScheduling(RealtimeScheduling* scheduling) {
    installedScheduling.store(scheduling, std::memory_order_release);
}
