#include "support/FakeRealtimeKit.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.RealtimeKit1");
const QString kPath = QStringLiteral("/org/freedesktop/RealtimeKit1");

}  // namespace

FakeRealtimeKit::FakeRealtimeKit(QDBusConnection bus, int maxRealtimePriority,
                                 qlonglong rtTimeMax_us)
    : bus_(std::move(bus)), maxRealtimePriority_(maxRealtimePriority), rtTimeMax_us_(rtTimeMax_us) {
    published_ =
        bus_.registerObject(
            kPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
        bus_.registerService(kService);
}

FakeRealtimeKit::~FakeRealtimeKit() {
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath);
}

void FakeRealtimeKit::MakeThreadRealtime(qulonglong thread, uint priority) {
    rlimit limit{};
    getrlimit(RLIMIT_RTTIME, &limit);
    lastRequest_ = Request{thread, priority, limit.rlim_max};
    const bool withinLimits = priority >= 1 && static_cast<int>(priority) <= maxRealtimePriority_ &&
                              limit.rlim_max != RLIM_INFINITY &&
                              limit.rlim_max <= static_cast<rlim_t>(rtTimeMax_us_);
    if (refuseEverything_ || !withinLimits) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
    }
}
