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
        } else if (arg == "--seconds") {
            Seconds(Value(arg));
        } else if (arg == "--codec") {
            result_.codec = Value(arg);
        } else if (arg == "--pipewire") {
            result_.camera = CommandLine::Camera::On;
        } else if (arg == "--no-pipewire") {
            result_.camera = CommandLine::Camera::Off;
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
                "' can't be combined with --snapshot or --record"));
            return;
        }
        result_.action = action;
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

    // --seconds without --record publishes the camera for that long.
    void Validate() {
        const bool record = result_.action == CommandLine::Action::Record;
        const bool camera = result_.camera == CommandLine::Camera::On;
        if (record && result_.seconds == 0) {
            Reject("--record needs --seconds N");
        } else if (!record && !result_.codec.empty()) {
            Reject("--codec goes with --record");
        } else if (!record && result_.seconds != 0) {
            if (!camera || result_.action != CommandLine::Action::RunPanel) {
                Reject("--seconds goes with --record, or with --pipewire alone");
                return;
            }
            result_.action = CommandLine::Action::Publish;
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
           " [--emulate[=OPTIONS]] [--pipewire | --no-pipewire]\n"
           "       [--snapshot FILE.png | --record FILE --seconds N [--codec NAME] | --seconds N]\n"
           "Live viewer and recorder for Bt848/Bt849/Bt878/Bt879 capture cards.\n"
           "\n"
           "  --emulate[=OPTIONS]  use the emulated card instead of a real one; OPTIONS:\n"
           "                       camera, still, video:FILE, none, two, bt848\n"
           "                       (comma-separated)\n"
           "  --snapshot FILE.png  capture for about a second without a window, save the\n"
           "                       picture with its status text, and exit\n"
           "  --record FILE        record without a window for --seconds N, then exit\n"
           "  --codec NAME         raw, ffv1, mjpeg, mpeg4 or h264 (default: the one last\n"
           "                       chosen in the compression dialog, else raw)\n"
           "  --pipewire           also offer the live picture to other programs as a\n"
           "                       PipeWire camera named \"QuorvTV\"; the panel remembers\n"
           "                       it for its next runs (--no-pipewire turns it off).\n"
           "                       Pick it in OBS Studio as a \"Video Capture Device\n"
           "                       (PipeWire)\" source; in Firefox or Chromium where their\n"
           "                       PipeWire camera support is on (see the README)\n"
           "  --seconds N          with --pipewire and without --record: offer the\n"
           "                       camera without a window for N seconds, then exit\n"
           "  --help               show this text and exit\n"
           "  --version            show the version and exit\n";
}
