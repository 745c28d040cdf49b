#include <cstdlib>

#include "app/resources/DialogTemplate.h"

namespace {

using C = ControlClass;
constexpr uint32_t kTab = kStyleTabStop;

const DialogTemplate kMainPanel{
    DialogIds::kMainPanel, "QuorvTV", "Small Fonts", 7, false, 0, 0,
    {
        {1004, C::UpDown, "", kStyleHorizontal, 4, 4, 24, 8},
        {1005, C::UpDown, "", kStyleHorizontal, 4, 15, 24, 8},
        {1007, C::UpDown, "", kStyleHorizontal, 4, 25, 24, 8},
        {1011, C::Static, "H Adjust", kStyleNone, 32, 4, 32, 8},
        {1012, C::Static, "V Adjust", kStyleNone, 32, 15, 32, 8},
        {1013, C::Static, "V Step", kStyleNone, 32, 25, 22, 8},
        {1009, C::PushButton, "New", kTab, 64, 4, 44, 12},
        {1010, C::PushButton, "Eject", kTab, 64, 18, 44, 12},
        {1008, C::PushButton, "Record", kTab, 64, 32, 44, 12},
        {1014, C::PushButton, "Channels", kTab, 64, 46, 44, 12},
        {1020, C::PushButton, "Close", kTab, 64, 60, 44, 12},
        {1021, C::Trackbar, "", kTab, 64, 78, 44, 40},
        {1022, C::CheckBox, "PowerOff", kStyleFlat | kTab, 64, 127, 48, 10},
        {1023, C::CheckBox, "Timer", kStyleFlat | kTab, 64, 140, 48, 10},
    }};

const DialogTemplate kRecordingTimer{
    DialogIds::kRecordingTimer, "Recording Timer", "Small Fonts", 7, true, 156, 48,
    {
        {1, C::PushButton, "OK", kTab, 108, 4, 44, 12},
        {2, C::PushButton, "Cancel", kTab, 108, 18, 44, 12},
        {1024, C::DateTimePicker, "", kStyleTimeFormat | kStyleRightAlign | kTab, 32, 10, 64, 12},
        {-1, C::Static, "Time", kStyleNone, 12, 12, 20, 8},
        {-1, C::Static, "Duration", kStyleNone, 12, 28, 32, 8},
        {1025, C::Edit, "", kStyleDigitsOnly | kTab, 44, 26, 52, 12},
        {1004, C::UpDown, "", kStyleAutoBuddy | kStyleRightAlign | kStyleArrowKeys, 96, 26, 13,
         12},
        {-1, C::GroupBox, "", kStyleNone, 4, 0, 100, 44},
    }};

const DialogTemplate kChannels{
    DialogIds::kChannels, "Channels", "Small Fonts", 7, true, 240, 134,
    {
        {1, C::PushButton, "OK", kTab, 192, 104, 44, 12},
        {2, C::PushButton, "Cancel", kTab, 192, 118, 44, 12},
        {1029, C::ListView, "", kStyleSingleSelect | kStyleEditLabels | kStyleNoSortHeader | kTab,
         4, 4, 184, 126},
        {3, C::PushButton, "Manual", kTab, 192, 32, 44, 12},
        {4, C::PushButton, "Scan", kTab, 192, 18, 44, 12},
        {5, C::PushButton, "Remove", kStyleDisabled | kTab, 192, 4, 44, 12},
    }};

const DialogTemplate kManual{
    DialogIds::kManual, "Manual", "Small Fonts", 7, true, 144, 34,
    {
        {1030, C::Edit, "", kStyleDigitsOnly | kTab, 52, 10, 32, 12},
        {1, C::PushButton, "OK", kTab, 96, 4, 44, 12},
        {2, C::PushButton, "Cancel", kTab, 96, 18, 44, 12},
        {-1, C::Static, "Frequency", kStyleNone, 12, 13, 35, 8},
        {-1, C::GroupBox, "", kStyleNone, 4, 0, 88, 30},
    }};

const DialogTemplate kScan{
    DialogIds::kScan, "Scan", "Small Fonts", 7, true, 296, 62,
    {
        {2, C::PushButton, "Cancel", kTab, 248, 20, 44, 14},
        {1031, C::Frame, "", kStyleNone, 4, 4, 240, 54},
        {1, C::PushButton, "Start", kTab, 248, 4, 44, 14},
    }};

}  // namespace

const DialogTemplate& FindDialogTemplate(int id) {
    for (const DialogTemplate* t : {&kMainPanel, &kRecordingTimer, &kChannels, &kManual, &kScan}) {
        if (t->id == id) {
            return *t;
        }
    }
    std::abort();
}
