#pragma once

#include <string>

#include "platform/WarningBox.h"

// The warning box on screen: a modal message box with the warning icon, an OK
// button (OK and Cancel to confirm) and an empty caption, owned by the application's active window,
// else its first visible top-level window, else none.
//
// May be called from any thread: off the GUI thread the box is shown by the
// GUI thread while the caller waits.
class QtWarningBox final : public WarningBox {
public:
    void Show(const std::string& text) override;
    bool Confirm(const std::string& text) override;
};
