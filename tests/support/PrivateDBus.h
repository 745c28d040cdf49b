#pragma once

#include <QProcess>
#include <QString>

// A D-Bus daemon of the test's own (`dbus-daemon --session` on a fresh
// socket), ended with the object. Nothing of the machine's buses is used.
class PrivateDBus {
public:
    PrivateDBus();
    PrivateDBus(const PrivateDBus&) = delete;
    PrivateDBus& operator=(const PrivateDBus&) = delete;
    ~PrivateDBus();

    // The daemon's address; empty when it didn't start.
    QString Address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};
