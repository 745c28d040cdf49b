#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emulator/PictureSource.h"
#include "emulator/Reception.h"

// The stations the emulated tuner can receive: five by default, spread over the
// low VHF, high VHF and UHF bands, each with its own name and moving picture.
// A station tuned within kClearRange_hz of its picture carrier comes through
// clearly, within kNoisyRange_hz mixed with noise, further away not at all.
class StationBand {
public:
    static constexpr int64_t kClearRange_hz = 500'000;
    static constexpr int64_t kNoisyRange_hz = 1'000'000;

    struct Received {
        PictureSource* source = nullptr;  // null when nothing is received
        Reception reception = Reception::None;
    };

    StationBand();

    size_t Count() const { return stations_.size(); }
    const std::string& Name(size_t index) const { return stations_[index].source->Name(); }
    int64_t Carrier_hz(size_t index) const { return stations_[index].carrier_hz; }
    PictureSource& Source(size_t index) { return *stations_[index].source; }

    // The station nearest to `tuned_hz`, and how it comes through.
    Received Receive(int64_t tuned_hz);

private:
    struct Station {
        int64_t carrier_hz;
        std::unique_ptr<PictureSource> source;
    };

    std::vector<Station> stations_;
};
