#include "util/ExtString.h"

#include <algorithm>
#include <vector>

#include "util/Tokenizer.h"

namespace {

size_t Clamp(int count, size_t length) {
    return count < 0 ? 0 : std::min(static_cast<size_t>(count), length);
}

}  // namespace

ExtString::ExtString(const char* text) : text_(text ? text : "") {}

ExtString::ExtString(std::string text) : text_(std::move(text)) {}

ExtString ExtString::Left(int count) const {
    return ExtString(text_.substr(0, Clamp(count, text_.size())));
}

ExtString ExtString::Right(int count) const {
    return ExtString(text_.substr(text_.size() - Clamp(count, text_.size())));
}

ExtString ExtString::Mid(int first) const {
    return ExtString(text_.substr(Clamp(first, text_.size())));
}

ExtString ExtString::Field(int n, const char* delimiters) const {
    if (n < 1) {
        return ExtString();
    }
    // Tokenize stops after n tokens, so this costs no more than the fields
    // up to the one asked for.
    std::vector<StringToken> tokens;
    std::string leading;
    Tokenize(text_, delimiters, n, tokens, leading);
    if (tokens.size() < static_cast<size_t>(n)) {
        return ExtString();
    }
    return tokens[n - 1].text;
}

ExtString ExtString::ReplaceAll(const char* find, const char* replacement) {
    const std::string_view needle(find ? find : "");
    const std::string_view with(replacement ? replacement : "");
    // An empty needle would match at every position without advancing.
    if (needle.empty() || needle == with) {
        return *this;
    }
    size_t position = text_.find(needle);
    while (position != std::string::npos) {
        text_.replace(position, needle.size(), with);
        position = text_.find(needle, position + with.size());
    }
    return *this;
}

ExtString ExtString::ReplaceFirst(const char* find, const char* replacement) {
    const std::string_view needle(find ? find : "");
    if (needle.empty()) {
        return *this;
    }
    const size_t position = text_.find(needle);
    if (position != std::string::npos) {
        text_.replace(position, needle.size(), replacement ? replacement : "");
    }
    return *this;
}

ExtString ExtString::FormatNumber(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    text_ = std::move(grouped);
    return *this;
}
