#include "controls/IntegerFormat.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLengths = "hlLqjzt";
constexpr std::string_view kIntegerConversions = "diuxXo";

// Length of the conversion starting at format[start] == '%',
// up to and including its conversion character (or to the end of the text).
std::size_t ConversionLength(std::string_view format, std::size_t start) {
    std::size_t end = start + 1;
    end = format.find_first_not_of(kFlags, end);
    end = format.find_first_not_of(kDigits, end);
    if (end < format.size() && format[end] == '.') {
        end = format.find_first_not_of(kDigits, end + 1);
    }
    end = format.find_first_not_of(kLengths, end);
    return end == std::string_view::npos ? format.size() - start : end + 1 - start;
}

std::string FormatOne(std::string_view conversion, long value) {
    std::string normalised(conversion.substr(0, conversion.find_first_of(kLengths)));
    if (normalised.size() == conversion.size()) {
        normalised.pop_back();
    }
    normalised += 'l';
    normalised += conversion.back();
    char buffer[128];
    const int written = std::snprintf(buffer, sizeof buffer, normalised.c_str(), value);
    if (written < 0) {
        return {};
    }
    return std::string(buffer, std::min<std::size_t>(written, sizeof buffer - 1));
}

}  // namespace

std::string FormatInteger(const std::string& format, long value) {
    std::string result;
    bool used = false;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] != '%') {
            result += format[i++];
        } else if (i + 1 < format.size() && format[i + 1] == '%') {
            result += '%';
            i += 2;
        } else {
            const std::size_t length = ConversionLength(format, i);
            const std::string_view conversion(format.data() + i, length);
            const bool integer = kIntegerConversions.find(conversion.back()) != std::string_view::npos;
            result += (integer && !used) ? FormatOne(conversion, value) : std::string(conversion);
            used = used || integer;
            i += length;
        }
    }
    return result;
}
