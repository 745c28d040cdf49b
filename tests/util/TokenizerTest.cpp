#include "util/Tokenizer.h"

#include <gtest/gtest.h>

namespace {

struct TokenizeCase {
    const char* input;
    const char* delimiters;
    int maxTokens;
    const char* leading;
    std::vector<std::pair<const char*, const char*>> tokens;  // text, delimiters
};

TEST(TokenizerTest, SplitsAtDelimiterRunsKeepingEachRunWithItsToken) {
    const TokenizeCase cases[] = {
        {",,a,b,,", ",", -1, ",,", {{"a", ","}, {"b", ",,"}}},
        {"a,b,c", ",", 2, "", {{"a", ","}, {"b", ","}}},
        {"a,b,c", ",", 0, "", {{"a", ","}, {"b", ","}, {"c", ""}}},
        {"a,b,c", ",", 3, "", {{"a", ","}, {"b", ","}, {"c", ""}}},
        {"a;b,c", ";,", -1, "", {{"a", ";"}, {"b", ","}, {"c", ""}}},
        {"a;b,c", ";", -1, "", {{"a", ";"}, {"b,c", ""}}},
        {"a b", "", -1, "", {{"a b", ""}}},
        {",,,", ",", -1, ",,,", {}},
        {"", ",", -1, "", {}},
        {"\\\\server\\share\\", "\\", -1, "\\\\", {{"server", "\\"}, {"share", "\\"}}},
    };
    for (const TokenizeCase& c : cases) {
        std::vector<StringToken> tokens;
        std::string leading;
        Tokenize(c.input, c.delimiters, c.maxTokens, tokens, leading);
        EXPECT_EQ(leading, c.leading) << c.input;
        ASSERT_EQ(tokens.size(), c.tokens.size()) << c.input;
        for (size_t i = 0; i < tokens.size(); ++i) {
            EXPECT_EQ(tokens[i].text.Text(), c.tokens[i].first) << c.input << " #" << i;
            EXPECT_EQ(tokens[i].delimiters.Text(), c.tokens[i].second) << c.input << " #" << i;
        }
    }
}

// The limit counts the tokens in the array, including those that were there
// before the call, and the leading run is appended to what the caller holds.
TEST(TokenizerTest, AppendsToTheCallersArrayAndLeadingText) {
    std::vector<StringToken> tokens(1);
    std::string leading = ">";
    Tokenize(";x;y;z", ";", 3, tokens, leading);
    EXPECT_EQ(leading, ">;");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].text.Text(), "x");
    EXPECT_EQ(tokens[2].text.Text(), "y");
}

}  // namespace
