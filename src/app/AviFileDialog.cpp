#include "app/AviFileDialog.h"

#include <QFileSystemModel>

AviFileDialog::AviFileDialog(const QString& initialFolder) : QFileDialog(nullptr) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(QStringLiteral("avi"));
    setNameFilters({QLatin1String(kAviFilter), QLatin1String(kAllFilesFilter)});
    if (!initialFolder.isEmpty()) {
        setDirectory(initialFolder);
    }
    connect(this, &QFileDialog::filterSelected, this, &AviFileDialog::UsePatternsOf);
}

// Qt has just applied the filter's own pattern, "*.*", which would hide every
// name without a dot; the list is widened to every file after it.
void AviFileDialog::UsePatternsOf(const QString& filter) {
    if (filter != QLatin1String(kAllFilesFilter)) {
        return;
    }
    if (auto* files = findChild<QFileSystemModel*>()) {
        files->setNameFilters({QStringLiteral("*")});
    }
}
