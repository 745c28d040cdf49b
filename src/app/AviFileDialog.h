#pragma once

#include <QFileDialog>

// The New button's save dialog: default suffix "avi", overwrite confirmation,
// and the filters "QuorvCCD Files (*.avi)" and "All Files (*.*)", whose
// "*.*" is the old platform's way of saying every file: it lists every file,
// names without a dot included. Qt's own dialog is used, so the labels stay
// as they are written.
class AviFileDialog : public QFileDialog {
    Q_OBJECT

public:
    static constexpr const char* kAviFilter = "QuorvCCD Files (*.avi)";
    static constexpr const char* kAllFilesFilter = "All Files (*.*)";

    // `initialFolder` may be empty (Qt's default folder).
    explicit AviFileDialog(const QString& initialFolder);

private:
    void UsePatternsOf(const QString& filter);
};
