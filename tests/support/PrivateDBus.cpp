#include "support/PrivateDBus.h"

PrivateDBus::PrivateDBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
}

PrivateDBus::~PrivateDBus() {
    daemon_.kill();
    daemon_.waitForFinished(5000);
}
