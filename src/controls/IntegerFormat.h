#pragma once

#include <string>

// printf-style formatting of one integer: the first integer conversion of
// `format` (%d, %i, %u, %x, %X or %o, with flags, width, precision and any
// length modifier) takes `value`; "%%" is a percent sign. Any other
// conversion, and every conversion after the first, is copied as it stands
// instead of reading an argument that isn't there.
std::string FormatInteger(const std::string& format, long value);
