#include "platform/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <csignal>

namespace {

// Dispatches events until `spy` has caught a signal, for at most a second.
void WaitForOne(QSignalSpy& spy) {
    const QDeadlineTimer deadline(1000);
    while (spy.isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

}  // namespace

// Each signal that ends a session reaches the program as a Qt signal; the
// test ignores them beforehand, so one the class didn't catch is simply lost
// rather than ending the test program.
TEST(TerminationSignalsTest, InterruptTerminateAndHangUpAreDelivered) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        std::signal(signal, SIG_IGN);
        TerminationSignals terminations;
        QSignalSpy received(&terminations, &TerminationSignals::Received);
        std::raise(signal);
        WaitForOne(received);
        ASSERT_EQ(received.count(), 1);
        EXPECT_EQ(received.front().front().toInt(), signal);
    }
}
