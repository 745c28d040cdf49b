#pragma once

#include <string>
#include <vector>

#include "hardware/FatalExit.h"

// Replaces the fatal path for its lifetime: records the message and throws
// FakeFatalHandler::Exit (no std::exception, so no platform-failure handler
// catches it) instead of ending the test program.
class FakeFatalHandler {
public:
    struct Exit {
        std::string message;
    };

    FakeFatalHandler() {
        SetFatalHandler([this](const char* message) {
            messages_.emplace_back(message);
            throw Exit{message};
        });
    }
    FakeFatalHandler(const FakeFatalHandler&) = delete;
    FakeFatalHandler& operator=(const FakeFatalHandler&) = delete;
    ~FakeFatalHandler() { SetFatalHandler(nullptr); }

    const std::vector<std::string>& Messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};
