#pragma once

#include <cstdint>

class RawCaptureWriter;

// The raw capture of HeadlessCapture: runs until the card has delivered
// `seconds` of frames (written, missed or dropped alike) into the writer, with
// a progress line on standard output each second. It ends early on SIGINT,
// SIGTERM or SIGHUP, and after a grace time when frames stop coming.
//
// GUI thread; the frame thread must run during Capture.
class HeadlessRawCapture {
public:
    HeadlessRawCapture(RawCaptureWriter& writer, int seconds);

    void Capture();

    // Closes the capture and prints the summary. 0 when it holds frames; 1,
    // saying why on standard error, when it could not be written or no frame
    // arrived.
    int Finish();

private:
    RawCaptureWriter& writer_;
    const int seconds_;
};
