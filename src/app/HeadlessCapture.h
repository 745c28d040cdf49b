#pragma once

#include <memory>
#include <string>

class CaptureCard;
class HardwarePlatform;

// The program without a window, for scripts: a snapshot of the live picture
// with its status text, or a recording of a set length. Both print a clear
// message and return a non-zero exit status on failure.
class HeadlessCapture {
public:
    HeadlessCapture(HardwarePlatform& hardware, std::string channelFile, std::string optionsFile);
    ~HeadlessCapture();

    // Captures for about a second, then saves the picture as drawn on screen.
    int Snapshot(const std::string& imagePath);

    // Records `seconds` of wall time into `path` with the compressor `codec`
    // (empty: the remembered one; the options file is left as it is), see
    // HeadlessRecording.
    int Record(const std::string& path, int seconds, const std::string& codec);

private:
    bool FindCard();

    HardwarePlatform& hardware_;
    std::string channelFile_;
    std::string optionsFile_;
    std::unique_ptr<CaptureCard> card_;
};
