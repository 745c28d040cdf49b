#include "hardware/FatalExit.h"

#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/WarningBox.h"

namespace {

std::mutex handlerMutex;
FatalHandler installedHandler;

// A failure must never end with the status of success.
constexpr int kFailureStatus = 1;

void ShowAndExit(const char* message) {
    WarnUser("%s", message);
    std::exit(kFailureStatus);
}

}  // namespace

void SetFatalHandler(FatalHandler handler) {
    std::lock_guard<std::mutex> guard(handlerMutex);
    installedHandler = std::move(handler);
}

void FailFatally(const char* message) {
    FatalHandler handler;
    {
        std::lock_guard<std::mutex> guard(handlerMutex);
        handler = installedHandler;
    }
    if (handler) {
        handler(message);
    } else {
        ShowAndExit(message);
    }
    std::exit(kFailureStatus);
}
