#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the command line asks the program to do.
struct CommandLine {
    enum class Action { RunPanel, Snapshot, Record, DumpRaw, ShowHelp, ShowVersion, Reject };

    Action action = Action::RunPanel;
    bool emulate = false;
    std::string emulateOptions;  // the text after "--emulate=", empty for plain --emulate
    std::string outputFile;      // --snapshot FILE, --record FILE or --dump-raw DIR
    int seconds = 0;             // --seconds N, with --record or --dump-raw
    std::string codec;           // --codec NAME, with --record; empty: the remembered one
    // What --snapshot and --record tune; with neither, the stored "Channel".
    std::optional<int> channel;           // --channel N, an index into the stored channels
    std::optional<int32_t> frequency_hz;  // --frequency MHZ, within the tuner's range
    std::string error;                    // one line, for Action::Reject
};

// Parses argv (argv[0] is the program). Unknown options, missing values and
// inconsistent combinations are rejected with a one-line reason.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// The text printed for --help.
std::string UsageText(const std::string& program);
