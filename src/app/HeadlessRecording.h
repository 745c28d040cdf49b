#pragma once

#include <string>

class CaptureEngine;

// The recording of HeadlessCapture: `seconds` of wall time into the file the
// engine has open, whatever the frame loop does meanwhile (the recorder
// repeats the last picture through a stall), with a progress line on
// standard output each second. It ends early on SIGINT or SIGTERM, and, as
// in the panel, when the disk has less than 10 MiB free.
//
// GUI thread; the frame thread must run during Record.
class HeadlessRecording {
public:
    HeadlessRecording(CaptureEngine& engine, std::string path, int seconds);

    // Writes until the time is up or a stop above.
    void Record();

    // Closes the file and prints the summary. 0 when the file holds every
    // frame due (up to a termination signal); 1, saying on standard error
    // how many frames were lost and why, when frames were lost, the disk ran
    // low or the file could not be finished.
    int Finish();

private:
    bool DiskIsLow() const;

    CaptureEngine& engine_;
    const std::string path_;
    const int seconds_;
    bool terminated_ = false;
    bool diskLow_ = false;
};
