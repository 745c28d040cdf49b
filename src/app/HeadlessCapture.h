#pragma once

#include <memory>
#include <string>

#include "app/HeadlessTuning.h"

class CaptureCard;
class CaptureEngine;
class HardwarePlatform;

// The program without a window, for scripts: a snapshot of the live picture
// with its status text, or a recording of a set length. Both print a clear
// message and return a non-zero exit status on failure.
class HeadlessCapture {
public:
    HeadlessCapture(HardwarePlatform& hardware, std::string channelFile, std::string optionsFile);
    ~HeadlessCapture();

    // What Snapshot and Record tune before they capture (default: the stored
    // "Channel"). A channel index beyond the stored channels fails them with
    // status 2.
    void SetTuning(const HeadlessTuning& tuning) { tuning_ = tuning; }

    // Captures for about a second, then saves the picture as drawn on screen.
    int Snapshot(const std::string& imagePath);

    // Records `seconds` of wall time into `path` with the compressor `codec`
    // (empty: the remembered one; the options file is left as it is), see
    // HeadlessRecording.
    int Record(const std::string& path, int seconds, const std::string& codec);

    // Writes `seconds` of the card's raw samples (25 frames a second) into the
    // folder `folder` as a raw capture (RawCaptureFormat.h), printing a
    // progress line each second and a summary that counts the frames missed
    // and dropped; it stops with what arrived when the card is more than 5 s
    // late with them.
    int DumpRaw(const std::string& folder, int seconds);

private:
    bool FindCard();
    bool Tune(CaptureEngine& engine) const;

    HardwarePlatform& hardware_;
    std::string channelFile_;
    std::string optionsFile_;
    std::unique_ptr<CaptureCard> card_;
    HeadlessTuning tuning_;
};
