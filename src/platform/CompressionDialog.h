#pragma once

#include "platform/AviCompressionOptions.h"

// The compression-options dialog: lets the user pick the compressor for a new
// recording and, where it has them, its quality, key-frame interval and data
// rate. The program installs a window-system implementation; tests use a
// double that answers at once.
class CompressionDialog {
public:
    virtual ~CompressionDialog() = default;

    // Shows the dialog starting from `options` (zeroed options or an unknown
    // compressor start from uncompressed frames). When the user confirms,
    // fills `options` with the choices, stream type "vids", and returns true;
    // on cancel leaves `options` alone and returns false. Modal: returns when
    // the user has answered. User-interface thread only.
    virtual bool Run(AviCompressionOptions& options) = 0;

    // Whether a confirmed choice is kept in the options file for the next
    // recording. The user's choice in the dialog is; a choice made for one
    // run only (the command line's) is not.
    virtual bool KeepsChoice() const { return true; }
};
