#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/FileChooser.h"

// A file chooser that answers at once with `answer` (nothing: cancelled) and
// remembers every initial folder it was given.
class PanelFakeFileChooser : public FileChooser {
public:
    std::optional<std::string> ChooseAviFile(const std::string& initialFolder) override {
        initialFolders.push_back(initialFolder);
        return answer;
    }

    std::optional<std::string> answer;
    std::vector<std::string> initialFolders;
};
