#include "app/QtWarningBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include <cstdio>

#include "app/EmptyCaption.h"

namespace {

// The framework used the thread's main window as owner; on Qt the nearest
// equivalent is the active window or, when the program isn't active, the
// first visible top-level window.
QWidget* OwnerWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void ShowOnGuiThread(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok, OwnerWindow());
    ShowEmptyCaption(&box);
    box.exec();
}

}  // namespace

void QtWarningBox::Show(const std::string& text) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    const QString message = QString::fromLocal8Bit(text.c_str());
    if (QThread::currentThread() == app->thread()) {
        ShowOnGuiThread(message);
        return;
    }
    QMetaObject::invokeMethod(
        app, [message] { ShowOnGuiThread(message); }, Qt::BlockingQueuedConnection);
}
