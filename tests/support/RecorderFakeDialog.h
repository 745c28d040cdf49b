#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/CompressionDialog.h"

// A compression dialog that answers at once: confirms with `choice` (or the
// starting point unchanged) or cancels, and remembers every starting point.
class RecorderFakeDialog : public CompressionDialog {
public:
    bool Run(AviCompressionOptions& options) override {
        startingPoints.push_back(options);
        if (whileShown) {
            whileShown();
        }
        if (!confirm) {
            return false;
        }
        if (choice) {
            options = *choice;
        }
        return true;
    }

    bool confirm = true;
    std::optional<AviCompressionOptions> choice;
    std::vector<AviCompressionOptions> startingPoints;
    // Runs while the dialog is "up", as the handlers its event loop dispatches.
    std::function<void()> whileShown;
};
