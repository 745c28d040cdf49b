#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

// Asks for one frequency in whole megahertz: up to three digits, 0 ... 999.
// An empty edit names no frequency.
class ManualDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxDigits = 3;

    explicit ManualDialog(QWidget* parent);

    // The text of the edit as it was when the dialog was accepted.
    const std::string& FrequencyText() const { return frequencyText_; }

    QLineEdit* FrequencyEdit() const { return frequencyEdit_; }

public slots:
    void accept() override;

private:
    QLineEdit* frequencyEdit_;
    std::string frequencyText_;
};
