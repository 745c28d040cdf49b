#include "app/QtFileChooser.h"

#include "app/AviFileDialog.h"

std::optional<std::string> QtFileChooser::ChooseAviFile(const std::string& initialFolder) {
    AviFileDialog dialog(QString::fromStdString(initialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}
