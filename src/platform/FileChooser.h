#pragma once

#include <optional>
#include <string>

// Asks the user for the AVI file to record into. The window-system
// implementation is a save dialog that confirms overwriting an existing file;
// tests install a double that answers at once.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // The chosen full path, or nothing when the user cancelled. `initialFolder`
    // may be empty.
    virtual std::optional<std::string> ChooseAviFile(const std::string& initialFolder) = 0;
};
