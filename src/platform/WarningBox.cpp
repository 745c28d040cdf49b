#include "platform/WarningBox.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {
std::atomic<WarningBox*> installedBox{nullptr};
}

void SetWarningBox(WarningBox* box) {
    installedBox.store(box);
}

void WarnUser(const char* format, ...) {
    char buffer[8192];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (WarningBox* box = installedBox.load()) {
        box->Show(buffer);
    } else {
        std::fprintf(stderr, "%s\n", buffer);
    }
}

bool ConfirmWithUser(const char* format, ...) {
    char buffer[8192];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (WarningBox* box = installedBox.load()) {
        return box->Confirm(buffer);
    }
    std::fprintf(stderr, "%s\n", buffer);
    return false;
}
