#pragma once

class QDialog;

// Runs a dialog modally and returns its result (QDialog::Accepted or
// Rejected). The program's runner calls exec(); tests install one that fills
// in and closes the dialog without waiting for a person.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int Run(QDialog& dialog);
};
