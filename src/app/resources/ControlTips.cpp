#include "app/resources/ControlTips.h"

#include "app/resources/DialogTemplate.h"

namespace {

struct Tip {
    int dialogId;
    int controlId;
    const char* text;
};

using namespace DialogIds;

// The H Adjust figure is the PLL's resolution at the configured 35.44 MHz:
// 28.63636 MHz / 65,536 / 12, 36.4 Hz, which each step of 20 Hz rounds to.
constexpr Tip kTips[] = {
    {kMainPanel, 1004,
     "H Adjust: sampling frequency, about 36 Hz a step (moves the picture "
     "sideways)"},
    {kMainPanel, 1005,
     "V Adjust: total lines per frame, one a step (moves the picture up or "
     "down)"},
    {kMainPanel, 1007, "V Step: one line more or less for 10 ms (nudges the picture)"},
    {kMainPanel, 1009, "New: choose an AVI file and its compressor"},
    {kMainPanel, 1010, "Eject: close the AVI file"},
    {kMainPanel, 1008, "Record: start or stop writing frames into the file, 20 a second"},
    {kMainPanel, 1014, "Channels: rename, add or scan for the stored channels"},
    {kMainPanel, 1020, "Close: end the program and remember the window's place"},
    {kMainPanel, 1021, "Channel: the stored channel tuned, by number (arrow keys, wheel or drag)"},
    {kMainPanel, 1022, "PowerOff: switch the computer off when a timed recording ends"},
    {kMainPanel, 1023, "Timer: record from a time of day for a number of minutes"},
    {kRecordingTimer, 1, "Arm the timer with this time and duration"},
    {kRecordingTimer, 2, "Record by hand, not by timer"},
    {kRecordingTimer, 1024, "Time: the time of day the recording starts, today"},
    {kRecordingTimer, 1025, "Duration: minutes"},
    {kRecordingTimer, 1004, "Duration: minutes (up counts down, down counts up, 0 to 100)"},
    {kChannels, 1, "Save the list and close"},
    {kChannels, 2, "Close without saving the list"},
    {kChannels, 1029,
     "The stored channels: select one to tune it; click its name again (or F2) to rename it"},
    {kChannels, 3, "Add a frequency typed in MHz"},
    {kChannels, 4, "Look for stations from 41 to 879 MHz"},
    {kChannels, 5, "Remove (not available)"},
    {kManual, 1030, "Frequency: whole MHz, 0 to 999"},
    {kManual, 1, "Add this frequency"},
    {kManual, 2, "Add nothing"},
    {kScan, 1, "Sweep 41 to 879 MHz in 1 MHz steps (about a minute and a half); then close"},
    {kScan, 2, "Close without adding stations"},
};

}  // namespace

const char* ControlTip(int dialogId, int controlId) {
    for (const Tip& tip : kTips) {
        if (tip.dialogId == dialogId && tip.controlId == controlId) {
            return tip.text;
        }
    }
    return nullptr;
}
