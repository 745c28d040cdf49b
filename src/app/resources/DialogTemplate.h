#pragma once

#include <cstdint>
#include <vector>

// The program's dialogs are described as data, as the window system's dialog
// templates were: every control with its identifier, class, text, style and
// position in dialog units. One builder turns a template into Qt widgets.

enum class ControlClass {
    UpDown,          // arrow pair that reports position changes
    Static,          // text label
    PushButton,      // owner-drawn push button
    CheckBox,        // auto check box
    GroupBox,        // framed group
    Trackbar,        // the channel knob
    DateTimePicker,  // time-of-day editor
    Edit,            // single-line edit
    ListView,        // report-view list
    Frame,           // static frame the owner paints itself
};

// Style bits that change how a control is built or behaves.
enum ControlStyle : uint32_t {
    kStyleNone = 0,
    kStyleTabStop = 1u << 0,
    kStyleDisabled = 1u << 1,
    kStyleHorizontal = 1u << 2,   // up-down: arrows left and right
    kStyleDigitsOnly = 1u << 3,   // edit: accepts digits only
    kStyleAutoBuddy = 1u << 4,    // up-down: writes its position into the preceding edit
    kStyleRightAlign = 1u << 5,   // date-time picker, static; up-down: over its buddy's right edge
    kStyleFlat = 1u << 6,         // check box drawn flat
    kStyleTimeFormat = 1u << 7,   // date-time picker: time of day with spin arrows
    kStyleSingleSelect = 1u << 8, // list view
    kStyleEditLabels = 1u << 9,   // list view: names edited in place
    kStyleNoSortHeader = 1u << 10,
    kStyleArrowKeys = 1u << 11,   // up-down: Up and Down in its buddy press its arrows
};

struct ControlTemplate {
    int id;  // 0 or -1 for controls nobody addresses
    ControlClass controlClass;
    const char* text;
    uint32_t style;
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    int id;
    const char* title;
    const char* fontFace;
    int fontPoints;
    bool toolWindow;  // pop-up with caption and tool-window frame; false: caption-less panel
    int width, height;  // dialog units; 0 when the owner sizes the window itself
    std::vector<ControlTemplate> controls;
};

// Control identifiers shared by the code that handles them.
namespace ControlIds {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kManual = 3;
constexpr int kScan = 4;
constexpr int kRemove = 5;
constexpr int kHAdjustSpin = 1004;
constexpr int kVAdjustSpin = 1005;
constexpr int kVStepSpin = 1007;
constexpr int kRecord = 1008;
constexpr int kNew = 1009;
constexpr int kEject = 1010;
constexpr int kHAdjustLabel = 1011;
constexpr int kVAdjustLabel = 1012;
constexpr int kVStepLabel = 1013;
constexpr int kChannels = 1014;
constexpr int kClose = 1020;
constexpr int kChannelKnob = 1021;
constexpr int kPowerOff = 1022;
constexpr int kTimer = 1023;
constexpr int kTimerStart = 1024;
constexpr int kTimerDuration = 1025;
constexpr int kTimerDurationSpin = 1004;
constexpr int kChannelList = 1029;
constexpr int kManualFrequency = 1030;
constexpr int kScanDisplay = 1031;
}  // namespace ControlIds

namespace DialogIds {
constexpr int kMainPanel = 102;
constexpr int kRecordingTimer = 131;
constexpr int kChannels = 133;
constexpr int kManual = 134;
constexpr int kScan = 135;
}  // namespace DialogIds

// The template with the given identifier; aborts on an unknown one (a
// programming error, not a run-time condition).
const DialogTemplate& FindDialogTemplate(int id);
