#include <cstdio>
#include <string>

#include "app/CommandLine.h"

int main(int argc, char** argv) {
    const CommandLine commandLine = ParseCommandLine(argc, argv);
    const std::string program = "quorvtv";
    switch (commandLine.action) {
        case CommandLine::Action::ShowHelp:
            std::fputs(UsageText(program).c_str(), stdout);
            return 0;
        case CommandLine::Action::ShowVersion:
            std::printf("QuorvTV %s\n", QUORV_VERSION);
            return 0;
        case CommandLine::Action::Reject:
            std::fprintf(stderr, "%s: %s\n", program.c_str(), commandLine.error.c_str());
            return 2;
        case CommandLine::Action::RunPanel:
        case CommandLine::Action::Snapshot:
        case CommandLine::Action::Record:
            break;
    }
    return 0;
}
