// Entry point of every test program: a QApplication on the offscreen platform,
// and configuration, data and home folders in a private temporary folder, so no
// test ever touches the user's real settings or data. The D-Bus addresses
// lead nowhere, so no test reaches the machine's buses, and no thread is made
// real-time.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <cstdlib>

#include "support/FakeRealtimeScheduling.h"

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) {
        return 3;
    }
    const QByteArray root = home.path().toUtf8();
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", root.constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QByteArray noBus = "unix:path=" + root + "/no-such-bus";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", noBus.constData(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", noBus.constData(), 1);
    FakeRealtimeScheduling keepPresentPriority;
    QStandardPaths::setTestModeEnabled(true);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
