#pragma once

#include "platform/RegisterWindow.h"

// Installs `window` as the process-wide register window for the scope and
// leaves it null afterwards, whatever a card set in between, so no test sees
// the window of the one before.
class FakeRegisterWindowScope {
public:
    explicit FakeRegisterWindowScope(RegisterWindow* window = nullptr) { registerWindow = window; }
    FakeRegisterWindowScope(const FakeRegisterWindowScope&) = delete;
    FakeRegisterWindowScope& operator=(const FakeRegisterWindowScope&) = delete;
    ~FakeRegisterWindowScope() { registerWindow = nullptr; }
};
