#include "app/CommandLine.h"

#include <string_view>

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.action = CommandLine::Action::ShowHelp;
            return result;
        }
        if (arg == "--version") {
            result.action = CommandLine::Action::ShowVersion;
            return result;
        }
        if (arg == "--emulate") {
            result.emulate = true;
        } else if (arg.starts_with("--emulate=")) {
            result.emulate = true;
            result.emulateOptions = std::string(arg.substr(10));
        } else {
            result.action = CommandLine::Action::Reject;
            result.error = "unknown option '" + std::string(arg) + "' (try --help)";
            return result;
        }
    }
    return result;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [options]\n"
           "Live viewer and recorder for Bt848/Bt849/Bt878/Bt879 capture cards.\n"
           "\n"
           "  --emulate[=OPTIONS]  use the emulated card instead of a real one\n"
           "  --help               show this text and exit\n"
           "  --version            show the version and exit\n";
}
