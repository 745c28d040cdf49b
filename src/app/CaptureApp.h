#pragma once

class HardwarePlatform;

// The application: prepares settings and the warning box, runs the main
// panel modally on the given hardware and ends when the panel closes.
class CaptureApp {
public:
    explicit CaptureApp(HardwarePlatform& hardware);

    // Runs the panel; returns the program's exit status.
    int InitInstance();

private:
    HardwarePlatform& hardware_;
};
