#include "platform/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace {

constexpr int kTerminations[] = {SIGINT, SIGTERM, SIGHUP};

int writeFd = -1;

// Async-signal-safe: only writes the signal number to the socket.
void Forward(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(writeFd, &byte, 1);
}

void Install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) {
        return;
    }
    writeFd = fds_[0];
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
    for (int signal : kTerminations) {
        Install(signal, Forward);
    }
}

TerminationSignals::~TerminationSignals() {
    for (int signal : kTerminations) {
        Install(signal, SIG_DFL);
    }
    writeFd = -1;
    for (int fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void TerminationSignals::Drain() {
    unsigned char byte = 0;
    if (::read(fds_[1], &byte, 1) == 1) {
        emit Received(byte);
    }
}
