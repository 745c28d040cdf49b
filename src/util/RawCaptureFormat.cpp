#include "util/RawCaptureFormat.h"

#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <sstream>
#include <string_view>

namespace RawCaptureFormat {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            break;
        }
        size_t end = line.find(' ', start);
        end = end == std::string_view::npos ? line.size() : end;
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

template <typename Number>
bool ToNumber(std::string_view word, Number& value) {
    int base = 10;
    if (word.starts_with("0x")) {
        word.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    return error == std::errc() && end == word.data() + word.size() && !word.empty();
}

// Reads the sidecar line by line, keeping the first fault.
class Reader {
public:
    Reader(Sidecar& sidecar, std::string& error) : sidecar_(sidecar), error_(error) {}

    bool Run(const std::string& text) {
        std::istringstream lines(text);
        std::string line;
        if (!std::getline(lines, line) || line != kMagic) {
            return Fail("is not a QuorvTV raw capture sidecar");
        }
        number_ = 1;
        while (std::getline(lines, line)) {
            ++number_;
            if (!line.empty() && line[0] != '#' && !Line(Words(line))) {
                return false;
            }
        }
        return Complete();
    }

private:
    bool Line(const std::vector<std::string_view>& words) {
        if (sidecar_.closed) {
            return Fail("has text after the end line");
        }
        if (words.size() == 2 && !words[0].empty() && !std::isdigit(words[0][0])) {
            return HeaderLine(words[0], words[1]);
        }
        if (words.size() == 7 && words[0] == "end") {
            return EndLineWords(words);
        }
        if (words.size() == 7) {
            return FrameWords(words);
        }
        return Fail("is not a header, frame or end line");
    }

    bool HeaderLine(std::string_view key, std::string_view value) {
        Header& header = sidecar_.header;
        bool ok = true;
        if (key == "program-version") {
            header.programVersion = std::string(value);
        } else if (key == "sample-rate-hz") {
            ok = ToNumber(value, header.sampleRate_hz);
        } else if (key == "line-period-samples") {
            ok = ToNumber(value, header.linePeriod_samples);
        } else if (key == "frame-bytes") {
            ok = ToNumber(value, header.frameBytes);
        } else {
            return Fail("has an unknown header key '" + std::string(key) + "'");
        }
        return ok || Fail("has a bad value for " + std::string(key));
    }

    bool FrameWords(const std::vector<std::string_view>& words) {
        Frame frame;
        if (!ToNumber(words[0], frame.index) || !ToNumber(words[1], frame.fieldCount) ||
            !ToNumber(words[2], frame.pll_hz) || !ToNumber(words[3], frame.dstatus) ||
            !ToNumber(words[4], frame.missed) || !ToNumber(words[5], frame.dropped) ||
            !ToNumber(words[6], frame.time_us)) {
            return Fail("is a frame line with a field that is not a number");
        }
        if (frame.index != sidecar_.frames.size()) {
            return Fail("numbers its frame " + std::to_string(frame.index) + " instead of " +
                        std::to_string(sidecar_.frames.size()));
        }
        sidecar_.frames.push_back(frame);
        return true;
    }

    bool EndLineWords(const std::vector<std::string_view>& words) {
        Totals totals;
        if (words[1] != "frames" || words[3] != "missed" || words[5] != "dropped" ||
            !ToNumber(words[2], totals.frames) || !ToNumber(words[4], totals.missed) ||
            !ToNumber(words[6], totals.dropped)) {
            return Fail("is a damaged end line");
        }
        if (totals.frames != sidecar_.frames.size()) {
            return Fail("counts " + std::to_string(totals.frames) + " frames, the lines " +
                        std::to_string(sidecar_.frames.size()));
        }
        sidecar_.closed = true;
        return true;
    }

    bool Complete() {
        const Header& header = sidecar_.header;
        number_ = 0;
        if (header.sampleRate_hz == 0 || header.linePeriod_samples == 0 || header.frameBytes == 0) {
            return Fail("lacks sample-rate-hz, line-period-samples or frame-bytes");
        }
        return true;
    }

    bool Fail(const std::string& what) {
        error_ = number_ == 0
                     ? std::string(kSidecarFile) + " " + what
                     : std::string(kSidecarFile) + " line " + std::to_string(number_) + " " + what;
        return false;
    }

    Sidecar& sidecar_;
    std::string& error_;
    int number_ = 0;
};

}  // namespace

std::string HeaderText(const Header& header) {
    std::ostringstream text;
    text << kMagic << "\nprogram-version " << header.programVersion << "\nsample-rate-hz "
         << header.sampleRate_hz << "\nline-period-samples " << header.linePeriod_samples
         << "\nframe-bytes " << header.frameBytes
         << "\n# frame field-count pll-hz dstatus missed dropped time-us\n";
    return text.str();
}

std::string FrameLine(const Frame& frame) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "%" PRIu32 " %" PRIu32 " %" PRId64 " 0x%02" PRIx32 " %" PRIu32 " %" PRIu32
                  " %" PRIu64 "\n",
                  frame.index, frame.fieldCount, frame.pll_hz, frame.dstatus, frame.missed,
                  frame.dropped, frame.time_us);
    return line;
}

std::string EndLine(const Totals& totals) {
    return "end frames " + std::to_string(totals.frames) + " missed " +
           std::to_string(totals.missed) + " dropped " + std::to_string(totals.dropped) + "\n";
}

bool Parse(const std::string& text, Sidecar& sidecar, std::string& error) {
    sidecar = Sidecar{};
    return Reader(sidecar, error).Run(text);
}

}  // namespace RawCaptureFormat
