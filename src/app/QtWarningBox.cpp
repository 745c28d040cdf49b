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

// The answer to a box with OK and Cancel; Cancel is the default, so a hasty
// Return keeps things as they are.
bool ConfirmOnGuiThread(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    OwnerWindow());
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
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

bool QtWarningBox::Confirm(const std::string& text) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return WarningBox::Confirm(text);
    }
    const QString message = QString::fromLocal8Bit(text.c_str());
    if (QThread::currentThread() == app->thread()) {
        return ConfirmOnGuiThread(message);
    }
    bool confirmed = false;
    QMetaObject::invokeMethod(
        app, [message, &confirmed] { confirmed = ConfirmOnGuiThread(message); },
        Qt::BlockingQueuedConnection);
    return confirmed;
}
