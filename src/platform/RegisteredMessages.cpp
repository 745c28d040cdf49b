#include "platform/RegisteredMessages.h"

#include <QCoreApplication>

#include <map>
#include <mutex>
#include <string>

namespace {

constexpr std::string_view kGenericMessageNames[] = {
    "RWMGENERICSTATUSTEXT", "RWMGENERICERRORLOGCLEAR", "RWMGENERICERRORLOGADD", "RWMGENERICFILEPOS",
    "RWMGENERICFILELENGTH", "RWMGENERICFILEDONE",      "RWMGENERICPROGRESS",
};

// QEvent::registerEventType hands out numbers but knows no names; this table
// gives the name-to-number mapping that registered window messages had.
class MessageTable {
public:
    QEvent::Type Find(std::string_view name) {
        std::lock_guard<std::mutex> guard(mutex_);
        auto found = types_.find(name);
        if (found != types_.end()) {
            return found->second;
        }
        const int type = QEvent::registerEventType();
        if (type < 0) {
            return QEvent::None;
        }
        types_.emplace(std::string(name), static_cast<QEvent::Type>(type));
        return static_cast<QEvent::Type>(type);
    }

private:
    std::mutex mutex_;
    std::map<std::string, QEvent::Type, std::less<>> types_;
};

MessageTable& Table() {
    static MessageTable table;
    return table;
}

}  // namespace

void RegisterProgramMessages() {
    RegisteredMessage(kPowerOffMessageName);
    for (std::string_view name : kGenericMessageNames) {
        RegisteredMessage(name);
    }
}

QEvent::Type RegisteredMessage(std::string_view name) {
    return Table().Find(name);
}

void PostRegisteredMessage(QObject* receiver, QEvent::Type type) {
    if (receiver == nullptr || type == QEvent::None) {
        return;
    }
    QCoreApplication::postEvent(receiver, new QEvent(type));
}
