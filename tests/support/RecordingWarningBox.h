#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/WarningBox.h"

// Collects warnings instead of showing them, and answers questions with
// `confirms`; installed for its lifetime.
class RecordingWarningBox : public WarningBox {
public:
    RecordingWarningBox() { SetWarningBox(this); }
    ~RecordingWarningBox() override { SetWarningBox(nullptr); }

    void Show(const std::string& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        messages_.push_back(text);
    }

    // Recorded like any warning; the answer is `confirms`.
    bool Confirm(const std::string& text) override {
        Show(text);
        return confirms;
    }

    std::vector<std::string> Messages() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return messages_;
    }

    bool confirms = false;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
};
