#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

class QDBusConnection;

// A client of the desktop's RealtimeKit service (org.freedesktop.RealtimeKit1
// on the system bus), which gives unprivileged processes real-time
// scheduling within the limits it publishes.
//
// Every call connects to the bus for its own duration, blocks for at most
// kCallTimeout_ms a message and fails silently (no bus, no service, a
// refusal); nothing of D-Bus is touched before the first call. Thread safety:
// may be called from any thread; the calls of one client are serialised.
class RealtimeKitClient {
public:
    static constexpr int kCallTimeout_ms = 500;

    // What the service allows: the highest SCHED_FIFO/SCHED_RR priority, and
    // the largest RLIMIT_RTTIME (hard limit, microseconds) a process may have
    // to be served at all.
    struct Limits {
        int maxRealtimePriority = 0;
        int64_t rtTimeMax_us = 0;
    };

    // The service on the system bus.
    RealtimeKitClient();
    // The service on the bus at `busAddress` (a D-Bus address, such as a
    // private bus in a test).
    explicit RealtimeKitClient(std::string busAddress);
    RealtimeKitClient(const RealtimeKitClient&) = delete;
    RealtimeKitClient& operator=(const RealtimeKitClient&) = delete;

    // Nothing when the bus or the service can't be reached.
    std::optional<Limits> QueryLimits();

    // Asks the service to make the thread `threadId` (a kernel thread id of
    // this process) real-time at `priority`. True when it did.
    bool MakeThreadRealtime(uint64_t threadId, uint32_t priority);

private:
    std::optional<int64_t> Property(const QDBusConnection& bus, const char* name);

    const std::string busAddress_;  // empty: the system bus
    const std::string connectionName_;
    std::mutex mutex_;
};
