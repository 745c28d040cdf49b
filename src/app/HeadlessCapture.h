#pragma once

#include <memory>
#include <string>

#include "app/HeadlessTuning.h"
#include "engine/CaptureEngine.h"

class CameraSource;
class CaptureCard;
class CompressionDialog;
class FrameTap;
class HardwarePlatform;

// The program without a window, for scripts: a snapshot of the live picture
// with its status text, a recording of a set length, a raw capture, or the
// camera offered for a set time. Each prints a clear message and returns a non-zero exit
// status on failure. The frames shown go to `camera` as well, which must
// outlive this object.
class HeadlessCapture {
public:
    HeadlessCapture(HardwarePlatform& hardware, std::string channelFile, std::string optionsFile,
                    CameraSource& camera);
    ~HeadlessCapture();

    // What Snapshot, Record and Publish tune before they capture (default: the stored
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

    // Runs the live picture for `seconds` without recording it, so that it
    // reaches other programs through the camera; SIGINT or SIGTERM end it
    // early, with status 0 as well.
    int Publish(int seconds);

private:
    CaptureEngine::Services Services(CompressionDialog& dialog,
                                     FrameTap* tap = &FrameTap::None()) const;
    bool FindCard();
    bool Tune(CaptureEngine& engine) const;

    HardwarePlatform& hardware_;
    std::string channelFile_;
    std::string optionsFile_;
    CameraSource& camera_;
    std::unique_ptr<CaptureCard> card_;
    HeadlessTuning tuning_;
};
