#pragma once

#include <QDialog>

#include <deque>
#include <functional>

#include "app/ModalRunner.h"

// Runs nested dialogs without waiting for a person: each Run shows the dialog
// and hands it to the next queued script, which fills it in and returns the
// result (QDialog::Accepted or Rejected). Without a script the dialog is
// rejected. Counts the runs.
class ChannelDialogsModalRunner : public ModalRunner {
public:
    using Script = std::function<int(QDialog&)>;

    void Then(Script script) { scripts_.push_back(std::move(script)); }

    int Run(QDialog& dialog) override {
        ++runs;
        dialog.show();
        int result = QDialog::Rejected;
        if (!scripts_.empty()) {
            Script script = std::move(scripts_.front());
            scripts_.pop_front();
            result = script(dialog);
        }
        dialog.hide();
        return result;
    }

    int runs = 0;

private:
    std::deque<Script> scripts_;
};
