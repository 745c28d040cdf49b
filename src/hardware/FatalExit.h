#pragma once

#include <functional>

// The one way out for a failure the program cannot go on from: the
// physical-memory driver missing, or a DMA buffer refused.
//
// The handler receives the message. The default shows it in the warning box
// and, once the user has dismissed it, ends the process with exit status 1
// (registered exit handlers run). Tests install a handler that throws so they
// can watch the path without the test program ending.
using FatalHandler = std::function<void(const char* message)>;

// Installs `handler`; an empty one restores the default. Not meant to be
// changed while another thread may fail.
void SetFatalHandler(FatalHandler handler);

// Hands `message` to the handler in force. If the handler returns, the process
// ends with exit status 1 all the same.
[[noreturn]] void FailFatally(const char* message);
