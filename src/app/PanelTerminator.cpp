#include "app/PanelTerminator.h"

#include <QApplication>
#include <QDialog>

#include "app/MainPanel.h"

PanelTerminator::PanelTerminator(MainPanel& panel) : panel_(panel) {
    connect(&signals_, &TerminationSignals::Received, this, &PanelTerminator::Terminate);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &PanelTerminator::Terminate);
}

// done() rather than reject(): a dialog may refuse Escape (the Scan dialog
// while it sweeps), not the end of the program. Each closed dialog leaves the
// modal stack; one that stays on it ends the walk.
void PanelTerminator::Terminate() {
    QWidget* modal = QApplication::activeModalWidget();
    while (modal != nullptr && modal != &panel_) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Rejected);
        } else {
            modal->close();
        }
        QWidget* next = QApplication::activeModalWidget();
        if (next == modal) {
            break;
        }
        modal = next;
    }
    panel_.reject();
}
