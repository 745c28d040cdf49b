#pragma once

class CameraSource;
class HardwarePlatform;

// The application: prepares settings and the warning box, runs the main
// panel modally on the given hardware and ends when the panel closes. The
// panel's frames also go to `camera`, which must outlive the application.
class CaptureApp {
public:
    CaptureApp(HardwarePlatform& hardware, CameraSource& camera);

    // Runs the panel; returns the program's exit status.
    int InitInstance();

private:
    HardwarePlatform& hardware_;
    CameraSource& camera_;
};
