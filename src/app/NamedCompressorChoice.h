#pragma once

#include <string>

#include "platform/CompressionDialog.h"

// The compression dialog of the command line: it answers at once with the
// compressor named on the command line ("raw", "ffv1", "mjpeg", "mpeg4",
// "h264"), or, with no name, with the compressor remembered in the options
// file (uncompressed when none is). The answer is for this run only: the
// options file stays as it is.
class NamedCompressorChoice : public CompressionDialog {
public:
    explicit NamedCompressorChoice(std::string name);

    // True when the name is empty or names an available compressor.
    bool IsKnown() const;

    // The names the command line accepts, for messages.
    static std::string KnownNames();

    bool Run(AviCompressionOptions& options) override;
    bool KeepsChoice() const override { return false; }

private:
    uint32_t fourCC_ = 0;
    bool known_ = false;
};
