#include "emulator/StationBand.h"

#include <cstdlib>

StationBand::StationBand() {
    struct Entry {
        const char* name;
        int64_t carrier_hz;
        TestPicture::Pattern pattern;
        uint32_t speed;
    };
    // Carriers a quarter MHz above a whole MHz, so a scan in 1 MHz steps finds
    // each station at exactly one step.
    static const Entry kStations[] = {
        {"ALPHA ONE", 55'250'000, TestPicture::Pattern::VerticalBars, 3},
        {"BRAVO TV", 182'250'000, TestPicture::Pattern::HorizontalBars, 4},
        {"CITY NEWS", 224'250'000, TestPicture::Pattern::Checkerboard, 5},
        {"DELTA UHF", 503'250'000, TestPicture::Pattern::Diagonal, 6},
        {"EAST SPORT", 743'250'000, TestPicture::Pattern::Rings, 7},
    };
    for (const Entry& entry : kStations) {
        stations_.push_back({entry.carrier_hz, std::make_unique<PictureSource>(
                                                   entry.name, entry.pattern, entry.speed)});
    }
}

StationBand::Received StationBand::Receive(int64_t tuned_hz) {
    Received best;
    int64_t bestDistance = kNoisyRange_hz + 1;
    for (Station& station : stations_) {
        int64_t distance = std::llabs(station.carrier_hz - tuned_hz);
        if (distance < bestDistance) {
            bestDistance = distance;
            best.source = station.source.get();
            best.reception = distance <= kClearRange_hz ? Reception::Clear : Reception::Noisy;
        }
    }
    return best;
}
