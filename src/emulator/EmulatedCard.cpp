#include "emulator/EmulatedCard.h"

#include <pthread.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "emulator/RawReplaySource.h"
#include "platform/Clock.h"

namespace {

constexpr uint32_t kVendor = 0x109E;
constexpr uint32_t kMultimediaVideoClass = 0x0400'0000;
constexpr uint32_t kMultimediaOtherClass = 0x0480'0000;

struct ChipIdentity {
    uint16_t video;
    uint16_t audio;  // 0 when the chip has no audio function
    uint8_t revision;
};

ChipIdentity IdentityOf(EmulatedCard::ChipType chip) {
    switch (chip) {
        case EmulatedCard::ChipType::Bt848:
            return {0x0350, 0, 0x12};
        case EmulatedCard::ChipType::Bt849:
            return {0x0351, 0, 0x12};
        case EmulatedCard::ChipType::Bt878:
            return {0x036E, 0x0878, 0x11};
        case EmulatedCard::ChipType::Bt879:
            return {0x036F, 0x0879, 0x11};
    }
    return {0x036E, 0x0878, 0x11};
}

// "+40ppm", "-12.5ppm": parts per million, whole parts per billion kept.
int64_t ParseCrystalError_ppb(std::string_view value) {
    constexpr std::string_view kUnit = "ppm";
    const std::string text(value);
    const std::invalid_argument bad(
        "emulation option crystal= needs an error such as +40ppm, got " + text);
    if (!text.ends_with(kUnit) || text.size() == kUnit.size()) {
        throw bad;
    }
    const std::string number = text.substr(0, text.size() - kUnit.size());
    char* end = nullptr;
    const double ppm = std::strtod(number.c_str(), &end);
    const int64_t ppb = std::llround(ppm * 1000.0);
    if (end != number.c_str() + number.size() || !std::isfinite(ppm) ||
        std::llabs(ppb) > EmulatedCard::kMaxCrystalError_ppb) {
        throw bad;
    }
    return ppb;
}

void ApplyOption(std::string_view option, EmulatedCard::Options& options) {
    constexpr std::string_view kCrystal = "crystal=";
    static const std::pair<std::string_view, EmulatedCard::ChipType> kChips[] = {
        {"bt848", EmulatedCard::ChipType::Bt848},
        {"bt849", EmulatedCard::ChipType::Bt849},
        {"bt878", EmulatedCard::ChipType::Bt878},
        {"bt879", EmulatedCard::ChipType::Bt879},
    };
    for (const auto& [name, chip] : kChips) {
        if (option == name) {
            options.chip = chip;
            return;
        }
    }
    if (option.starts_with(kCrystal)) {
        options.crystalError_ppb = ParseCrystalError_ppb(option.substr(kCrystal.size()));
    } else if (option == "camera") {
        options.input = EmulatedCard::Input::Camera;
    } else if (option == "none") {
        options.cards = 0;
    } else if (option == "two") {
        options.cards = 2;
    } else if (option == "still") {
        options.picture = EmulatedCard::Picture::Still;
    } else if (!option.empty()) {
        throw std::invalid_argument("unknown emulation option: " + std::string(option));
    }
}

double MappingValue(std::string_view text, std::string_view option) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        throw std::invalid_argument("emulation option " + std::string(option) +
                                    " needs a number, not '" + std::string(text) + "'");
    }
    return value;
}

// FILE[,gain=G][,offset=O]: the mapping is peeled off the end, so the file
// name itself may hold commas.
void ParseSampleFile(std::string_view text, EmulatedCard::Options& options) {
    for (;;) {
        size_t comma = text.rfind(',');
        if (comma == std::string_view::npos) {
            break;
        }
        std::string_view tail = text.substr(comma + 1);
        if (tail.starts_with("gain=")) {
            options.mapping.gain = MappingValue(tail.substr(5), "gain=");
        } else if (tail.starts_with("offset=")) {
            options.mapping.offset = MappingValue(tail.substr(7), "offset=");
        } else {
            break;
        }
        text = text.substr(0, comma);
    }
    options.videoFile = std::string(text);
}

// The file inputs take the rest of the options text; true when `text` is one.
bool ParseFileInput(std::string_view text, EmulatedCard::Options& options) {
    static const std::pair<std::string_view, EmulatedCard::Input> kInputs[] = {
        {"video:", EmulatedCard::Input::VideoFile},
        {"signal:", EmulatedCard::Input::SampleFile},
        {"raw:", EmulatedCard::Input::RawCapture},
    };
    for (const auto& [prefix, input] : kInputs) {
        if (!text.starts_with(prefix)) {
            continue;
        }
        options.input = input;
        if (input == EmulatedCard::Input::SampleFile) {
            ParseSampleFile(text.substr(prefix.size()), options);
        } else {
            options.videoFile = std::string(text.substr(prefix.size()));
        }
        if (options.videoFile.empty()) {
            throw std::invalid_argument(
                "emulation option " + std::string(prefix) + " needs a " +
                (input == EmulatedCard::Input::RawCapture ? "folder" : "file name"));
        }
        return true;
    }
    return false;
}

}  // namespace

EmulatedCard::Options EmulatedCard::ParseOptions(std::string_view text) {
    Options options;
    while (!text.empty()) {
        if (ParseFileInput(text, options)) {
            break;
        }
        size_t comma = text.find(',');
        ApplyOption(text.substr(0, comma), options);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    return options;
}

EmulatedCard::EmulatedCard(std::string_view options)
    : memory_(modelLock_), camera_("CAMERA", TestPicture::Pattern::Grid, 2) {
    Options parsed = ParseOptions(options);
    LineSource* fixedInput = OpenFixedInput(parsed);
    for (uint32_t index = 0; index < parsed.cards; ++index) {
        AddCard(parsed, index, fixedInput);
    }
    if (parsed.input == Input::SampleFile || parsed.input == Input::RawCapture) {
        SetRateWalk(SourceTimebase::RateWalk::Off);
    }
    if (parsed.picture == Picture::Still) {
        SetMotion(SignalSynthesizer::Motion::Still);
        SetRateWalk(SourceTimebase::RateWalk::Off);
    }
}

LineSource* EmulatedCard::OpenFixedInput(const Options& options) {
    switch (options.input) {
        case Input::Tuner:
            return nullptr;
        case Input::Camera:
            return &camera_.Signal();
        case Input::VideoFile:
            fileInput_ = std::make_unique<VideoFileSource>(options.videoFile);
            break;
        case Input::SampleFile:
            fileInput_ = std::make_unique<SampleFileSource>(options.videoFile, options.mapping);
            break;
        case Input::RawCapture:
            fileInput_ = std::make_unique<RawReplaySource>(options.videoFile);
            break;
    }
    return fileInput_.get();
}

EmulatedCard::~EmulatedCard() {
    StopRealTime();
}

void EmulatedCard::AddCard(const Options& options, uint32_t index, LineSource* fixedInput) {
    ChipIdentity identity = IdentityOf(options.chip);
    uint32_t bar0 = kFirstBar0 + index * kBarSpacing;
    auto bus = static_cast<uint8_t>(1 + index);
    configSpace_.AddFunction({bus, 0x00, uint32_t{identity.video} << 16 | kVendor,
                              kMultimediaVideoClass | identity.revision, bar0});
    if (identity.audio != 0) {
        configSpace_.AddFunction({bus, 0x01, uint32_t{identity.audio} << 16 | kVendor,
                                  kMultimediaOtherClass | identity.revision, bar0 + 0x1000});
    }
    chips_.push_back(std::make_unique<EmulatedChip>(modelLock_, clock_, memory_, band_, fixedInput,
                                                    0x5EED'0000u + index,
                                                    options.crystalError_ppb));
    clock_.AddChip(chips_.back().get());
    memory_.AddRegisterWindow(bar0, chips_.back().get());
}

void EmulatedCard::AdvanceUs(uint64_t duration_us) {
    std::lock_guard lock(modelLock_);
    clock_.Advance(duration_us);
}

void EmulatedCard::FollowCurrentClock() {
    std::lock_guard lock(modelLock_);
    clock_.SetMode(EmulatedClock::Mode::FollowCurrentClock);
}

void EmulatedCard::StartRealTime() {
    if (realTimeRunning_.exchange(true)) {
        return;
    }
    FollowCurrentClock();
    realTimeThread_ = std::thread([this] { RunRealTime(); });
}

void EmulatedCard::StopRealTime() {
    if (!realTimeRunning_.exchange(false)) {
        return;
    }
    realTimeThread_.join();
}

// The name lets per-thread CPU figures (top -H, /proc/<pid>/task) tell the
// emulator's own work from the program's. A tick of 10 ms, the longest step
// the clock takes at once, is a fifth of the wake-ups of 2 ms: on this shared
// machine those cost more than the emulation itself (about 0.4 % of a core
// against 0.2 %), and the program's frame loop reads a register every 2 ms
// anyway.
void EmulatedCard::RunRealTime() {
    pthread_setname_np(pthread_self(), "quorv-emuclock");
    while (realTimeRunning_) {
        {
            std::lock_guard lock(modelLock_);
            clock_.CatchUp();
        }
        CurrentClock().SleepMs(kRealTimeTick_ms);
    }
}

std::vector<uint8_t> EmulatedCard::StationReferencePicture(size_t index) {
    std::lock_guard lock(modelLock_);
    return band_.Source(index).Signal().ReferencePicture(0);
}

std::vector<uint8_t> EmulatedCard::CameraReferencePicture() {
    std::lock_guard lock(modelLock_);
    return camera_.Signal().ReferencePicture(0);
}

void EmulatedCard::SetRateWalk(SourceTimebase::RateWalk walk, int64_t offset_hz) {
    for (auto& chip : chips_) {
        chip->SetRateWalk(walk, offset_hz);
    }
}

void EmulatedCard::SetMotion(SignalSynthesizer::Motion motion) {
    for (auto& chip : chips_) {
        chip->SetMotion(motion);
    }
}
