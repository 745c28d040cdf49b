// camera_probe: pulls pictures from the program's PipeWire camera as another
// program would, and tells what arrived. For the script tests and the
// measurement script:
//
//   camera_probe --target SERIAL|NAME [--format GRAY8|I420|YUY2] [--seconds S]
//                [--reference N|camera] [--min-frames N] [--min-psnr DB]
//                [--patience S] [--keep N] [--hold-ms N]
//
// Prints one "key value" line per figure. With --reference the pictures are
// compared with the emulated card's still reference picture of station N, or
// of its camera input.
// Exit status: 0 when every figure asked for was met, 1 when one was not,
// 2 for a bad command line, 3 when no picture arrived.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emulator/EmulatedCard.h"
#include "tools/CameraProbe.h"
#include "tools/PictureMatch.h"

namespace {

struct Options {
    CameraProbe::Settings probe;
    std::string reference;  // empty: none; "camera" or a station's index
    int minFrames = 0;
    double minPsnr_db = 0;
};

bool Parse(int argc, char** argv, Options& options) {
    options.probe.format = "GRAY8";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--target") {
            options.probe.target = value;
        } else if (key == "--format") {
            options.probe.format = value;
        } else if (key == "--seconds") {
            options.probe.seconds = std::atof(value);
        } else if (key == "--patience") {
            options.probe.patience_s = std::atof(value);
        } else if (key == "--hold-ms") {
            options.probe.hold_ms = std::atoi(value);
        } else if (key == "--keep") {
            options.probe.keptPictures = static_cast<size_t>(std::atoi(value));
        } else if (key == "--reference") {
            options.reference = value;
        } else if (key == "--min-frames") {
            options.minFrames = std::atoi(value);
        } else if (key == "--min-psnr") {
            options.minPsnr_db = std::atof(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.probe.target.empty();
}

// Every kept picture must match; the worst one is what counts.
bool ReportMatch(const CameraProbe::Report& report, const std::string& reference,
                 double minPsnr_db) {
    EmulatedCard card("still");
    const PictureMatch match(reference == "camera"
                                 ? card.CameraReferencePicture()
                                 : card.StationReferencePicture(std::stoul(reference)));
    std::vector<double> psnrs;
    int lowestShift = PictureMatch::kLargestShift_rows;
    int highestShift = -PictureMatch::kLargestShift_rows;
    for (const std::vector<uint8_t>& picture : report.pictures) {
        const PictureMatch::Result result = match.Match(picture);
        psnrs.push_back(result.psnr_db);
        lowestShift = std::min(lowestShift, result.shift_rows);
        highestShift = std::max(highestShift, result.shift_rows);
    }
    std::sort(psnrs.begin(), psnrs.end());
    std::printf("psnr_min_db %.1f\npsnr_median_db %.1f\ncompared %zu\nshift_rows %d %d\n",
                psnrs.front(), psnrs[psnrs.size() / 2], psnrs.size(), lowestShift, highestShift);
    if (psnrs.front() >= minPsnr_db) {
        return true;
    }
    // For the diagnosis: which station the last picture shows, if any.
    for (size_t station = 0; station < card.StationCount(); ++station) {
        std::printf("psnr_against_station %zu %.1f\n", station,
                    PictureMatch(card.StationReferencePicture(station))
                        .Match(report.pictures.back())
                        .psnr_db);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: camera_probe --target SERIAL [--format GRAY8|I420|YUY2] "
                     "[--seconds S] [--reference N|camera] [--min-frames N] [--min-psnr DB] "
                     "[--patience S] [--keep N] [--hold-ms N]\n");
        return 2;
    }
    CameraProbe probe(options.probe);
    CameraProbe::Report report;
    std::string error;
    const bool received = probe.Run(report, error);
    std::printf("negotiations %d\nnegotiated %s\nframes %d\nspan_s %.3f\n", report.negotiations,
                report.negotiated.c_str(), report.frames, report.span_s);
    if (report.sequenced) {
        const uint64_t shown = report.lastSequence - report.firstSequence + 1;
        std::printf("sequence %llu %llu\nshown %llu\ndelivered_share %.4f\n",
                    static_cast<unsigned long long>(report.firstSequence),
                    static_cast<unsigned long long>(report.lastSequence),
                    static_cast<unsigned long long>(shown), double(report.frames) / double(shown));
    }
    if (!received) {
        std::printf("error %s\n", error.c_str());
        return 3;
    }
    bool met = report.frames >= options.minFrames && report.negotiations == 1 && error.empty();
    if (!error.empty()) {
        std::printf("error %s\n", error.c_str());
    }
    if (!options.reference.empty()) {
        met = ReportMatch(report, options.reference, options.minPsnr_db) && met;
    }
    return met ? 0 : 1;
}
