#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "emulator/EmulatedChip.h"
#include "emulator/EmulatedClock.h"
#include "emulator/EmulatedConfigSpace.h"
#include "emulator/EmulatedPhysMem.h"
#include "emulator/PictureSource.h"
#include "emulator/SampleFileSource.h"
#include "emulator/StationBand.h"
#include "emulator/VideoFileSource.h"

// The emulated card: PCI functions in an emulated configuration space, the
// physical-memory driver, one chip per card with its tuner, and the band of
// stations. The system reaches it only through Ports() and Driver(), as it
// would a real card.
//
// Options, comma-separated (empty = one Bt878 with a tuner):
//   camera      an always-present camera on the tuner's input instead
//   video:FILE  the video file FILE, decoded with FFmpeg, on that input
//               instead; everything after "video:" is the file name, so it
//               comes last
//   signal:FILE[,gain=G][,offset=O]
//               the raw 8-bit composite samples in FILE (as hacktv writes them
//               at 35,437,500 Hz) on that input, through code' = G x code + O
//               (defaults 1 and 0); comes last
//   raw:DIR     the raw capture in folder DIR (written by --dump-raw) on that
//               input, replayed at its recorded rate; comes last
//   none        no card at all
//   two         two cards (the first one found is at the lower bus number)
//   bt848, bt849, bt878, bt879   the chip of the family the cards carry
//   still       a still, steady signal: the test pictures held still and the
//               line rate at its nominal value, so that a conversion shows
//               what StationReferencePicture and CameraReferencePicture do
//   crystal=ERRppm  every card's crystal is off nominal by ERR parts per
//               million (for example +40ppm or -12.5ppm, at most 1000), so
//               its sampling clock runs off the program's default PLL
//               setting by as much; the default is exact
// The file sources have a rate of their own, so their rate does not walk.
// An unknown option or a malformed value throws std::invalid_argument naming
// it; a file or folder that can't be used throws std::runtime_error with a
// one-line reason.
//
// Time: stepped by hand with AdvanceUs (tests), or following CurrentClock():
// FollowCurrentClock() makes every register access catch up first, and
// StartRealTime() also runs a thread that catches up every kRealTimeTick_ms so
// DMA goes on while nobody reads a register (whoever reads one sees the model
// up to date whatever the tick). StopRealTime ends the thread (accesses keep
// following the clock); destruction stops it too. The card must outlive every
// user of its register windows and buffers (the process-wide registerWindow).
//
// Thread safety: every call may come from any thread; one model lock guards
// all chips, memory and the band.
class EmulatedCard {
public:
    enum class ChipType { Bt848, Bt849, Bt878, Bt879 };

    enum class Input { Tuner, Camera, VideoFile, SampleFile, RawCapture };

    // Live: moving pictures at a wandering line rate; Still: option "still".
    enum class Picture { Live, Still };

    struct Options {
        ChipType chip = ChipType::Bt878;
        uint32_t cards = 1;
        Input input = Input::Tuner;
        std::string videoFile;  // the file or folder of the three file inputs
        SampleFileSource::Mapping mapping;
        Picture picture = Picture::Live;
        int64_t crystalError_ppb = 0;
    };

    static constexpr int64_t kMaxCrystalError_ppb = 1'000'000;

    static constexpr uint32_t kFirstBar0 = 0xE800'0000;
    static constexpr uint32_t kBarSpacing = 0x1'0000;
    static constexpr uint32_t kRealTimeTick_ms = 10;

    // Throws std::invalid_argument for an unknown option or an empty file name.
    static Options ParseOptions(std::string_view text);

    explicit EmulatedCard(std::string_view options = {});
    EmulatedCard(const EmulatedCard&) = delete;
    EmulatedCard& operator=(const EmulatedCard&) = delete;
    ~EmulatedCard();

    ConfigPorts& Ports() { return configSpace_; }
    PhysMemDriver& Driver() { return memory_; }

    void AdvanceUs(uint64_t duration_us);
    void FollowCurrentClock();
    void StartRealTime();
    void StopRealTime();

    size_t CardCount() const { return chips_.size(); }
    EmulatedChip& Chip(size_t index) { return *chips_[index]; }
    EmulatedConfigSpace& ConfigSpace() { return configSpace_; }
    EmulatedPhysMem& Memory() { return memory_; }

    size_t StationCount() const { return band_.Count(); }
    std::string StationName(size_t index) const { return band_.Name(index); }
    int64_t StationCarrier_hz(size_t index) const { return band_.Carrier_hz(index); }

    // What a 360 x 288 conversion shows of a station (or the camera) with the
    // pictures held still (SetMotion(Still)), top row first.
    std::vector<uint8_t> StationReferencePicture(size_t index);
    std::vector<uint8_t> CameraReferencePicture();

    // For tests: hold every source's rate at nominal + offset, or let it walk.
    void SetRateWalk(SourceTimebase::RateWalk walk, int64_t offset_hz = 0);
    void SetMotion(SignalSynthesizer::Motion motion);

private:
    void AddCard(const Options& options, uint32_t index, LineSource* fixedInput);
    LineSource* OpenFixedInput(const Options& options);
    void RunRealTime();

    std::mutex modelLock_;
    EmulatedClock clock_;
    EmulatedConfigSpace configSpace_;
    EmulatedPhysMem memory_;
    StationBand band_;
    PictureSource camera_;
    std::unique_ptr<LineSource> fileInput_;
    std::vector<std::unique_ptr<EmulatedChip>> chips_;
    std::thread realTimeThread_;
    std::atomic<bool> realTimeRunning_{false};
};
