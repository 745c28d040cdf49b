#pragma once

#include <optional>
#include <string_view>

// One stored setting: its value name in the "Settings" group and its default.
// Every setting the program keeps is declared once below and read and written
// only through its declaration (see Settings).
//
// `T` is int for integers and std::string_view for strings. A declaration
// without a default leaves the default to the reader: "HAdjust" and "VAdjust"
// default to what the engine found at construction; "MainFramePos" has none,
// and the window is then centred.
template <typename T>
struct SettingInfo {
    const char* key;
    std::optional<T> defaultValue;
};

using IntSetting = SettingInfo<int>;
using StringSetting = SettingInfo<std::string_view>;

// The horizontal adjustment: the chip's sampling frequency in hertz.
inline constexpr IntSetting kHAdjustSetting{"HAdjust", std::nullopt};
// The vertical adjustment: the decoder's total line count per frame.
inline constexpr IntSetting kVAdjustSetting{"VAdjust", std::nullopt};
// The channel knob's position.
inline constexpr IntSetting kChannelSetting{"Channel", 0};
// The folder of the last recording chosen, ending in '/'.
inline constexpr StringSetting kAviPathSetting{"AviPath", ""};
// The main window's rectangle, "left top right bottom" in screen pixels.
inline constexpr StringSetting kMainFramePosSetting{"MainFramePos", std::nullopt};
// Whether the panel offers its picture to other programs as a PipeWire
// camera: 1 on, 0 off; the command line sets it (--pipewire, --no-pipewire).
inline constexpr IntSetting kPipeWireCameraSetting{"PipeWireCamera", 0};
