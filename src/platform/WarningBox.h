#pragma once

#include <string>

// The warning box: a modal message with an exclamation icon and an OK button.
// The program installs a window-system implementation at start; tests install
// a recording double. Without one, the message goes to standard error.
class WarningBox {
public:
    virtual ~WarningBox() = default;

    // Shows `text` and returns when the user has dismissed it.
    virtual void Show(const std::string& text) = 0;

    // Shows `text` with OK and Cancel and returns true when the user chose
    // OK. A box that can't ask shows the text and declines.
    virtual bool Confirm(const std::string& text) {
        Show(text);
        return false;
    }
};

// Installs `box` as the warning box in force (nullptr: standard error).
// The caller keeps ownership.
void SetWarningBox(WarningBox* box);

// Formats like printf (the result is cut at 8,191 bytes) and shows it in the
// warning box. Blocks until the user has dismissed it.
void WarnUser(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with OK and Cancel: true when the user chose OK. Without a
// warning box the message goes to standard error and the answer is no.
bool ConfirmWithUser(const char* format, ...) __attribute__((format(printf, 1, 2)));
