#pragma once

#include <QDialog>

#include <functional>

#include "app/ModalRunner.h"

// Runs a nested dialog without waiting for a person: shows it and lets
// `script` fill it in and close it; its return value is the dialog's result.
class ChannelDialogsModalRunner : public ModalRunner {
public:
    int Run(QDialog& dialog) override {
        dialog.show();
        return script ? script(dialog) : static_cast<int>(QDialog::Rejected);
    }

    std::function<int(QDialog&)> script;
};
