#pragma once

#include <string>

// What the command line asks the program to do.
struct CommandLine {
    enum class Action { RunPanel, ShowHelp, ShowVersion, Reject };

    Action action = Action::RunPanel;
    bool emulate = false;
    std::string emulateOptions;  // the text after "--emulate=", empty for plain --emulate
    std::string error;           // one line, for Action::Reject
};

// Parses argv (argv[0] is the program). Unknown options are rejected.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The text printed for --help.
std::string UsageText(const std::string& program);
