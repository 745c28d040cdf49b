#pragma once

#include <optional>
#include <string>

#include "platform/SettingInfo.h"

// The program's stored settings: an INI file
// <config folder>/Quorv Software/<program name>.conf, group "Settings".
// The config folder is $XDG_CONFIG_HOME (or ~/.config); the program name is
// the application's name, by default the executable's base name.
//
// Nothing is cached: every read goes to the file and every write reaches the
// file before the call returns.
//
// Thread safety: call from the user-interface thread only.
class Settings {
public:
    // The stored integer, else the declared default, else nothing. A stored
    // value that isn't a whole decimal 32-bit integer ("abc", "12x", "") counts
    // as absent.
    static std::optional<int> ReadInt(const IntSetting& setting);

    // The stored integer, else `fallback` (which overrides the declared default).
    static int ReadInt(const IntSetting& setting, int fallback);

    // The stored string, else the declared default, else nothing.
    static std::optional<std::string> ReadString(const StringSetting& setting);

    // The stored string, else `fallback`.
    static std::string ReadString(const StringSetting& setting, const std::string& fallback);

    static void WriteInt(const IntSetting& setting, int value);
    static void WriteString(const StringSetting& setting, const std::string& value);

    // Removes the stored value, so reads see the default again.
    static void Remove(const char* key);

    // The file the settings live in.
    static std::string FilePath();
};
