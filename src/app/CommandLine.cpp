#include "app/CommandLine.h"

#include <charconv>
#include <limits>
#include <string_view>

#include "engine/AviRecorder.h"
#include "hardware/Tuner.h"

namespace {

// The longest recording whose frame count still fits an int.
constexpr int kMaxSeconds = std::numeric_limits<int>::max() / AviRecorder::kFramesPerSecond;
constexpr int kMaxFractionDigits = 6;  // megahertz to whole hertz

bool AllDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "471" or "471.25" megahertz as hertz; nothing for any other text.
std::optional<int64_t> ParseMegahertz(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string fraction(point == std::string_view::npos ? "" : text.substr(point + 1));
    if (whole.empty() || whole.size() > 9 || !AllDigits(whole) || !AllDigits(fraction) ||
        fraction.size() > kMaxFractionDigits ||
        (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    fraction.resize(kMaxFractionDigits, '0');
    int64_t hz = 0;
    for (char digit : std::string(whole) + fraction) {
        hz = hz * 10 + (digit - '0');
    }
    return hz;
}

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
        } else if (arg == "--pipewire") {
            result_.camera = CommandLine::Camera::On;
        } else if (arg == "--no-pipewire") {
            result_.camera = CommandLine::Camera::Off;
        } else if (arg == "--channel") {
            Channel(Value(arg));
        } else if (arg == "--frequency") {
            Frequency(Value(arg));
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

    // The option that named the capture command, for messages.
    const char* ActionOption() const {
        switch (result_.action) {
            case CommandLine::Action::Snapshot:
                return "--snapshot";
            case CommandLine::Action::Record:
                return "--record";
            default:
                return "--dump-raw";
        }
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

    // A whole decimal number from `lowest` to `highest`, digits only.
    static std::optional<int> WholeNumber(const std::string& text, int lowest, int highest) {
        int value = 0;
        if (text.empty() || !AllDigits(text) ||
            std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() ||
            value < lowest || value > highest) {
            return std::nullopt;
        }
        return value;
    }

    void Seconds(const std::string& text) {
        const std::optional<int> value = WholeNumber(text, 1, kMaxSeconds);
        if (!value) {
            Reject("--seconds needs a whole number from 1 to " + std::to_string(kMaxSeconds) +
                   ", not '" + text + "'");
            return;
        }
        result_.seconds = *value;
    }

    void Channel(const std::string& text) {
        result_.channel = WholeNumber(text, 0, std::numeric_limits<int>::max());
        if (!result_.channel) {
            Reject("--channel needs the index of a stored channel (0, 1, ...), not '" + text + "'");
        }
    }

    void Frequency(const std::string& text) {
        const std::optional<int64_t> hz = ParseMegahertz(text);
        if (!hz || *hz < Tuner::kLowestFrequency_hz || *hz > Tuner::kHighestFrequency_hz) {
            Reject("--frequency needs megahertz from " +
                   std::to_string(Tuner::kLowestFrequency_hz / 1'000'000) + " to " +
                   std::to_string(Tuner::kHighestFrequency_hz / 1'000'000) +
                   " (for example 471.25), not '" + text + "'");
            return;
        }
        result_.frequency_hz = static_cast<int32_t>(*hz);
    }

    // --record and --dump-raw run for --seconds N, and --seconds alone offers
    // the camera for that long; --codec is --record's.
    void Validate() {
        if (result_.action == CommandLine::Action::RunPanel && result_.seconds != 0 &&
            result_.camera == CommandLine::Camera::On) {
            result_.action = CommandLine::Action::Publish;
        }
        const bool record = result_.action == CommandLine::Action::Record;
        const bool publish = result_.action == CommandLine::Action::Publish;
        const bool timed = record || result_.action == CommandLine::Action::DumpRaw;
        const bool writesFile = timed || result_.action == CommandLine::Action::Snapshot;
        const bool headless = writesFile || publish;
        const bool tunes = result_.channel || result_.frequency_hz;
        if (writesFile && result_.outputFile.empty()) {
            Reject(std::string(ActionOption()) + " needs a " +
                   (result_.action == CommandLine::Action::DumpRaw ? "folder" : "file") + " name");
        } else if (timed && result_.seconds == 0) {
            Reject(std::string(ActionOption()) + " needs --seconds N");
        } else if (!record && !result_.codec.empty()) {
            Reject("--codec goes with --record");
        } else if (!timed && !publish && result_.seconds != 0) {
            Reject("--seconds goes with --record or --dump-raw, or alone with --pipewire");
        } else if (!headless && tunes) {
            Reject(
                "--channel and --frequency go with --snapshot, --record, --dump-raw or --seconds");
        } else if (result_.channel && result_.frequency_hz) {
            Reject("--channel and --frequency can't be combined");
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
           "       [--snapshot FILE.png | --record FILE --seconds N [--codec NAME]\n"
           "        | --dump-raw DIR --seconds N | --seconds N]\n"
           "       [--channel N | --frequency MHZ]\n"
           "Live viewer and recorder for Bt848/Bt849/Bt878/Bt879 capture cards.\n"
           "\n"
           "  --emulate[=OPTIONS]  use the emulated card instead of a real one; OPTIONS:\n"
           "                       camera, still, video:FILE, none, two, bt848,\n"
           "                       crystal=+40ppm (comma-separated);\n"
           "                       signal:FILE[,gain=G,offset=O] plays raw 8-bit samples\n"
           "                       (hacktv's, 35437500 Hz), raw:DIR replays a --dump-raw\n"
           "                       capture; the file inputs come last\n"
           "  --snapshot FILE.png  capture for about a second without a window, save the\n"
           "                       picture with its status text, and exit\n"
           "  --record FILE        record without a window for --seconds N, then exit\n"
           "  --codec NAME         raw, ffv1, mjpeg, mpeg4 or h264 (default: the one last\n"
           "                       chosen in the compression dialog, else raw)\n"
           "  --dump-raw DIR       write --seconds N of the card's raw samples, every\n"
           "                       frame's whole capture buffer, into DIR/capture.u8 with\n"
           "                       its counters in DIR/capture.txt, then exit\n"
           "  --pipewire           also offer the live picture to other programs as a\n"
           "                       PipeWire camera named \"QuorvTV\"; the panel remembers\n"
           "                       it for its next runs (--no-pipewire turns it off).\n"
           "                       Pick it in OBS Studio as a \"Video Capture Device\n"
           "                       (PipeWire)\" source; in Firefox or Chromium where their\n"
           "                       PipeWire camera support is on (see the README)\n"
           "  --seconds N          with --pipewire and without --record: offer the\n"
           "                       camera without a window for N seconds, then exit\n"
           "  --channel N          with a capture command or --seconds: tune stored\n"
           "                       channel N (0 is the first; default: the one the panel\n"
           "                       last tuned)\n"
           "  --frequency MHZ      with a capture command or --seconds: tune MHZ\n"
           "                       megahertz (41 to 880, for example 471.25)\n"
           "  --help               show this text and exit\n"
           "  --version            show the version and exit\n";
}
