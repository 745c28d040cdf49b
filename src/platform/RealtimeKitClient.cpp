#include "platform/RealtimeKitClient.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QString>

#include <atomic>

namespace {

constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kPath = "/org/freedesktop/RealtimeKit1";
constexpr const char* kInterface = "org.freedesktop.RealtimeKit1";

std::string UniqueConnectionName() {
    static std::atomic<int> clients{0};
    return "quorv-realtimekit-" + std::to_string(clients.fetch_add(1));
}

// A connection of the client's own for one call, closed at the end of it: a
// shared connection would stay open, and QtDBus torn down at exit, for a
// request made once at the frame thread's start.
class BusConnection {
public:
    BusConnection(const std::string& address, const std::string& name)
        : name_(QString::fromStdString(name)),
          bus_(address.empty()
                   ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name_)
                   : QDBusConnection::connectToBus(QString::fromStdString(address), name_)) {}
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;
    ~BusConnection() { QDBusConnection::disconnectFromBus(name_); }

    const QDBusConnection& Bus() const { return bus_; }

private:
    const QString name_;
    const QDBusConnection bus_;
};

QDBusMessage Call(const QDBusConnection& bus, const QDBusMessage& message) {
    return bus.call(message, QDBus::Block, RealtimeKitClient::kCallTimeout_ms);
}

}  // namespace

RealtimeKitClient::RealtimeKitClient() : RealtimeKitClient(std::string()) {}

RealtimeKitClient::RealtimeKitClient(std::string busAddress)
    : busAddress_(std::move(busAddress)), connectionName_(UniqueConnectionName()) {}

std::optional<RealtimeKitClient::Limits> RealtimeKitClient::QueryLimits() {
    std::lock_guard<std::mutex> guard(mutex_);
    const BusConnection connection(busAddress_, connectionName_);
    if (!connection.Bus().isConnected()) {
        return std::nullopt;
    }
    const std::optional<int64_t> priority = Property(connection.Bus(), "MaxRealtimePriority");
    const std::optional<int64_t> rtTime_us = Property(connection.Bus(), "RTTimeUSecMax");
    if (!priority || !rtTime_us) {
        return std::nullopt;
    }
    return Limits{static_cast<int>(*priority), *rtTime_us};
}

bool RealtimeKitClient::MakeThreadRealtime(uint64_t threadId, uint32_t priority) {
    std::lock_guard<std::mutex> guard(mutex_);
    const BusConnection connection(busAddress_, connectionName_);
    if (!connection.Bus().isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("MakeThreadRealtime"));
    call << qulonglong{threadId} << uint{priority};
    return Call(connection.Bus(), call).type() == QDBusMessage::ReplyMessage;
}

std::optional<int64_t> RealtimeKitClient::Property(const QDBusConnection& bus, const char* name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QString::fromLatin1(kInterface) << QString::fromLatin1(name);
    const QDBusMessage reply = Call(bus, call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    bool isNumber = false;
    const qlonglong value =
        qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toLongLong(&isNumber);
    return isNumber ? std::optional<int64_t>(value) : std::nullopt;
}
