#pragma once

#include "platform/FileChooser.h"

// A save dialog for AVI files: default suffix "avi", overwrite confirmation,
// the filters "QuorvCCD Files (*.avi)" and "All Files (*)".
class QtFileChooser : public FileChooser {
public:
    std::optional<std::string> ChooseAviFile(const std::string& initialFolder) override;
};
