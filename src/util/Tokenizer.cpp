#include "util/Tokenizer.h"

#include <string_view>

namespace {

class DelimiterSet {
public:
    explicit DelimiterSet(const char* delimiters) : set_(delimiters ? delimiters : "") {}

    bool Contains(char c) const {
        if (set_.size() <= 1) {
            return !set_.empty() && c == set_[0];
        }
        return set_.find(c) != std::string_view::npos;
    }

private:
    std::string_view set_;
};

}  // namespace

void Tokenize(const std::string& input, const char* delimiters, int maxTokens,
              std::vector<StringToken>& tokens, std::string& leading) {
    const DelimiterSet isDelimiter(delimiters);
    size_t position = 0;
    while (position < input.size() && isDelimiter.Contains(input[position])) {
        leading += input[position++];
    }
    std::string text;
    while (position < input.size()) {
        if (!isDelimiter.Contains(input[position])) {
            text += input[position++];
            continue;
        }
        const size_t runStart = position;
        while (position < input.size() && isDelimiter.Contains(input[position])) {
            ++position;
        }
        tokens.push_back({ExtString(std::move(text)), input.substr(runStart, position - runStart)});
        text.clear();
        if (maxTokens != -1 && tokens.size() == static_cast<size_t>(maxTokens)) {
            return;
        }
    }
    if (!text.empty()) {
        tokens.push_back({ExtString(std::move(text)), ExtString()});
    }
}
