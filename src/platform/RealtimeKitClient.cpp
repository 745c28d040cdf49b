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

// Connected once per client and name; QtDBus hands out the same connection
// for the same name until it is disconnected.
QDBusConnection Connect(const std::string& address, const std::string& name) {
    const QString connectionName = QString::fromStdString(name);
    if (address.empty()) {
        return QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName);
    }
    return QDBusConnection::connectToBus(QString::fromStdString(address), connectionName);
}

QDBusMessage Call(const QDBusConnection& bus, const QDBusMessage& message) {
    return bus.call(message, QDBus::Block, RealtimeKitClient::kCallTimeout_ms);
}

}  // namespace

RealtimeKitClient::RealtimeKitClient() : RealtimeKitClient(std::string()) {}

RealtimeKitClient::RealtimeKitClient(std::string busAddress)
    : busAddress_(std::move(busAddress)), connectionName_(UniqueConnectionName()) {}

RealtimeKitClient::~RealtimeKitClient() {
    QDBusConnection::disconnectFromBus(QString::fromStdString(connectionName_));
}

std::optional<RealtimeKitClient::Limits> RealtimeKitClient::QueryLimits() {
    std::lock_guard<std::mutex> guard(mutex_);
    const std::optional<int64_t> priority = Property("MaxRealtimePriority");
    const std::optional<int64_t> rtTime_us = Property("RTTimeUSecMax");
    if (!priority || !rtTime_us) {
        return std::nullopt;
    }
    return Limits{static_cast<int>(*priority), *rtTime_us};
}

bool RealtimeKitClient::MakeThreadRealtime(uint64_t threadId, uint32_t priority) {
    std::lock_guard<std::mutex> guard(mutex_);
    const QDBusConnection bus = Connect(busAddress_, connectionName_);
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("MakeThreadRealtime"));
    call << qulonglong{threadId} << uint{priority};
    return Call(bus, call).type() == QDBusMessage::ReplyMessage;
}

std::optional<int64_t> RealtimeKitClient::Property(const char* name) {
    const QDBusConnection bus = Connect(busAddress_, connectionName_);
    if (!bus.isConnected()) {
        return std::nullopt;
    }
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
