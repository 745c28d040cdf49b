#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP (the terminal closed) into a Qt signal
// delivered on the GUI thread, so the program can stop capture and close a
// recording properly instead of dying with the file unfinished. Only one
// instance may exist; it restores the default actions when destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void Received(int signal);

private:
    void Drain();

    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};
