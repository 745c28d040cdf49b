#pragma once

#include <QString>

#include <string>
#include <string_view>

// The program keeps its texts (channel names, formats) as single bytes of the
// Windows Latin-1 code page (1252); the controls show and edit them as
// QStrings.

// Every byte maps to a character; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
// the same value, so a round trip keeps them.
QString FromWindows1252(std::string_view bytes);

// Characters the code page lacks become '?'.
std::string ToWindows1252(const QString& text);
