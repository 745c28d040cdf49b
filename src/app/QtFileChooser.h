#pragma once

#include "platform/FileChooser.h"

// Asks for the AVI file in the New button's save dialog (AviFileDialog).
class QtFileChooser : public FileChooser {
public:
    std::optional<std::string> ChooseAviFile(const std::string& initialFolder) override;
};
