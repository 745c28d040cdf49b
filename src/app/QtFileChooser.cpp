#include "app/QtFileChooser.h"

#include <QFileDialog>

std::optional<std::string> QtFileChooser::ChooseAviFile(const std::string& initialFolder) {
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("avi"));
    dialog.setNameFilters({QStringLiteral("QuorvCCD Files (*.avi)"), QStringLiteral("All Files (*)")});
    if (!initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(initialFolder));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}
