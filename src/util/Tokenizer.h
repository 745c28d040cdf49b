#pragma once

#include <string>
#include <vector>

#include "util/ExtString.h"

// One piece of tokenized text.
struct StringToken {
    ExtString text;        // the bytes of the token
    ExtString delimiters;  // the run of delimiter bytes that ended it; empty at the end of input
};

// Splits `input` at delimiter bytes, appending to `tokens` and `leading`.
//
// With at most one byte in `delimiters`, only that byte is a delimiter (none
// for an empty string); with two or more, each of them is. The run of
// delimiters at the start of `input` is appended to `leading`. Every other run
// of delimiters ends one token and is kept as its `delimiters`, so runs never
// produce empty tokens and a trailing run stays with the last token.
//
// When `maxTokens` is not -1 and, after a token is appended, `tokens` holds
// exactly `maxTokens` entries (tokens already there count), the rest of the
// input is ignored. A `maxTokens` of 0 thus never stops the scan.
void Tokenize(const std::string& input, const char* delimiters, int maxTokens,
              std::vector<StringToken>& tokens, std::string& leading);
