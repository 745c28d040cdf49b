#include "platform/WarningBox.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
std::atomic<WarningBox*> installedBox{nullptr};

std::string Formatted(const char* format, va_list args) {
    char buffer[8192];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}
}

void SetWarningBox(WarningBox* box) {
    installedBox.store(box);
}

void WarnUser(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = Formatted(format, args);
    va_end(args);
    if (WarningBox* box = installedBox.load()) {
        box->Show(text);
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

bool ConfirmWithUser(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = Formatted(format, args);
    va_end(args);
    if (WarningBox* box = installedBox.load()) {
        return box->Confirm(text);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    return false;
}
