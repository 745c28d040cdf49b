#pragma once

#include <sys/resource.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

#include <cstdint>
#include <optional>

// The desktop's RealtimeKit service as a test stands it up on a private bus:
// it publishes its limits and answers MakeThreadRealtime as the real one
// does, refusing a priority above its maximum or a process whose
// RLIMIT_RTTIME hard limit exceeds its RTTimeUSecMax, and remembers the
// request. It changes no scheduling.
class FakeRealtimeKit : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.RealtimeKit1")
    Q_PROPERTY(int MaxRealtimePriority READ MaxRealtimePriority)
    Q_PROPERTY(qlonglong RTTimeUSecMax READ RTTimeUSecMax)

public:
    struct Request {
        uint64_t thread;
        uint32_t priority;
        rlim_t rtTimeHardLimit_us;  // this process's, when the request came
    };

    // Registers the service on `bus`; `published` tells whether that worked.
    FakeRealtimeKit(QDBusConnection bus, int maxRealtimePriority, qlonglong rtTimeMax_us);
    ~FakeRealtimeKit() override;

    bool Published() const { return published_; }
    void RefuseEverything() { refuseEverything_ = true; }
    std::optional<Request> LastRequest() const { return lastRequest_; }

    int MaxRealtimePriority() const { return maxRealtimePriority_; }
    qlonglong RTTimeUSecMax() const { return rtTimeMax_us_; }

public slots:
    void MakeThreadRealtime(qulonglong thread, uint priority);

private:
    QDBusConnection bus_;
    const int maxRealtimePriority_;
    const qlonglong rtTimeMax_us_;
    bool published_ = false;
    bool refuseEverything_ = false;
    std::optional<Request> lastRequest_;
};
