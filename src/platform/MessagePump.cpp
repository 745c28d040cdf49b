#include "platform/MessagePump.h"

#include <QCoreApplication>
#include <QThread>

namespace {
thread_local int paintDepth = 0;
}

PaintScope::PaintScope() {
    ++paintDepth;
}

PaintScope::~PaintScope() {
    --paintDepth;
}

void PumpMessages() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || paintDepth > 0 || QThread::currentThread() != app->thread()) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
