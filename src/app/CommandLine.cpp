#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

namespace {

class Parser {
public:
    Parser(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

    CommandLine Run() {
        for (index_ = 1; index_ < argc_ && result_.action != CommandLine::Action::Reject;
             ++index_) {
            if (!Option(argv_[index_])) {
                break;
            }
        }
        if (result_.action != CommandLine::Action::Reject) {
            Validate();
        }
        return result_;
    }

private:
    // False when parsing is over (help, version).
    bool Option(std::string_view arg) {
        if (arg == "--help" || arg == "-h") {
            result_.action = CommandLine::Action::ShowHelp;
            return false;
        }
        if (arg == "--version") {
            result_.action = CommandLine::Action::ShowVersion;
            return false;
        }
        if (arg == "--emulate") {
            result_.emulate = true;
        } else if (arg.starts_with("--emulate=")) {
            result_.emulate = true;
            result_.emulateOptions = std::string(arg.substr(10));
        } else if (arg == "--snapshot") {
            SetAction(CommandLine::Action::Snapshot, arg);
            result_.outputFile = Value(arg);
        } else if (arg == "--record") {
            SetAction(CommandLine::Action::Record, arg);
            result_.outputFile = Value(arg);
        } else if (arg == "--dump-raw") {
            DumpRaw(arg);
        } else if (arg == "--seconds") {
            Seconds(Value(arg));
        } else if (arg == "--codec") {
            result_.codec = Value(arg);
        } else {
            Reject("unknown option '" + std::string(arg) + "' (try --help)");
        }
        return true;
    }

    // The messages are built with append: GCC 12 at -O3 reports "'" + string as
    // an overlapping copy (-Wrestrict), which breaks the Release build.
    void SetAction(CommandLine::Action action, std::string_view arg) {
        if (result_.action != CommandLine::Action::RunPanel) {
            Reject(std::string("'").append(arg).append(
                "' can't be combined with --snapshot, --record or --dump-raw"));
            return;
        }
        result_.action = action;
    }

    // --dump-raw DIR: the folder the raw capture goes into.
    void DumpRaw(std::string_view arg) {
        SetAction(CommandLine::Action::DumpRaw, arg);
        result_.outputFile = Value(arg);
    }

    std::string Value(std::string_view arg) {
        if (index_ + 1 >= argc_) {
            Reject(std::string("'").append(arg).append("' needs a value"));
            return {};
        }
        return argv_[++index_];
    }

    void Seconds(const std::string& text) {
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
            Reject("--seconds needs a positive whole number, not '" + text + "'");
            return;
        }
        result_.seconds = value;
    }

    // --record and --dump-raw run for --seconds N; --codec is --record's.
    void Validate() {
        const bool record = result_.action == CommandLine::Action::Record;
        const bool timed = record || result_.action == CommandLine::Action::DumpRaw;
        if (timed && result_.seconds == 0) {
            Reject(std::string(record ? "--record" : "--dump-raw") + " needs --seconds N");
        } else if (!timed && result_.seconds != 0) {
            Reject("--seconds goes with --record or --dump-raw");
        } else if (!record && !result_.codec.empty()) {
            Reject("--codec goes with --record");
        }
    }

    void Reject(std::string reason) {
        if (result_.action != CommandLine::Action::Reject) {
            result_.action = CommandLine::Action::Reject;
            result_.error = std::move(reason);
        }
    }

    int argc_;
    const char* const* argv_;
    int index_ = 1;
    CommandLine result_;
};

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    return Parser(argc, argv).Run();
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--emulate[=OPTIONS]] [--snapshot FILE.png | --record FILE --seconds N "
           "[--codec NAME] | --dump-raw DIR --seconds N]\n"
           "Live viewer and recorder for Bt848/Bt849/Bt878/Bt879 capture cards.\n"
           "\n"
           "  --emulate[=OPTIONS]  use the emulated card instead of a real one; OPTIONS:\n"
           "                       camera, video:FILE, none, two, bt848 (comma-separated);\n"
           "                       signal:FILE[,gain=G,offset=O] plays raw 8-bit samples\n"
           "                       (hacktv's, 35437500 Hz), raw:DIR replays a --dump-raw\n"
           "                       capture; these two come last\n"
           "  --snapshot FILE.png  capture for about a second without a window, save the\n"
           "                       picture with its status text, and exit\n"
           "  --record FILE        record without a window for --seconds N, then exit\n"
           "  --codec NAME         raw, ffv1, mjpeg, mpeg4 or h264 (default: the one last\n"
           "                       chosen in the compression dialog, else raw)\n"
           "  --dump-raw DIR       write --seconds N of the card's raw samples, every\n"
           "                       frame's whole capture buffer, into DIR/capture.u8 with\n"
           "                       its counters in DIR/capture.txt, then exit\n"
           "  --help               show this text and exit\n"
           "  --version            show the version and exit\n";
}
