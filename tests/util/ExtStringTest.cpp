#include "util/ExtString.h"

#include <gtest/gtest.h>

namespace {

struct SubstringCase {
    const char* text;
    char operation;  // 'L'eft, 'R'ight, 'M'id
    int argument;
    const char* expected;
};

TEST(ExtStringTest, SubstringsClampTheirCountsToTheText) {
    const SubstringCase cases[] = {
        {"hello", 'L', 2, "he"},    {"hello", 'L', 0, ""},    {"hello", 'L', -1, ""},
        {"hello", 'L', 9, "hello"}, {"hello", 'R', 3, "llo"}, {"hello", 'R', -2, ""},
        {"hello", 'R', 9, "hello"}, {"hello", 'M', 2, "llo"}, {"hello", 'M', -3, "hello"},
        {"hello", 'M', 5, ""},      {"hello", 'M', 9, ""},    {"", 'L', 1, ""},
    };
    for (const SubstringCase& c : cases) {
        const ExtString text(c.text);
        const ExtString result = c.operation == 'L'   ? text.Left(c.argument)
                                 : c.operation == 'R' ? text.Right(c.argument)
                                                      : text.Mid(c.argument);
        EXPECT_EQ(result.Text(), c.expected) << c.operation << c.argument << " of " << c.text;
    }
}

struct FieldCase {
    const char* text;
    int n;
    const char* delimiters;
    const char* expected;
};

TEST(ExtStringTest, FieldSplitsAtRunsOfDelimitersAndIgnoresLeadingOnes) {
    const FieldCase cases[] = {
        {",a,,b", 2, ",", "b"},       {"a,b,", 2, ",", "b"},
        {"a,b,", 3, ",", ""},         {"a;b,c", 2, ";,", "b"},
        {"a;b,c", 3, ";,", "c"},      {"a;b,c", 2, ";", "b,c"},
        {"a,b", 0, ",", ""},          {"a,b", -1, ",", ""},
        {"a,b", 5, ",", ""},          {"", 1, ",", ""},
        {"a b", 1, "", "a b"},        {"a,b", 1, ",", "a"},
        {"/usr/bin/", 2, "/", "bin"},
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(ExtString(c.text).Field(c.n, c.delimiters).Text(), c.expected)
            << "field " << c.n << " of '" << c.text << "' at '" << c.delimiters << "'";
    }
}

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* replacement;
    const char* all;
    const char* first;
};

TEST(ExtStringTest, ReplaceAllAndFirstChangeTheObjectAndReturnTheResult) {
    const ReplaceCase cases[] = {
        {"aaa", "a", "aa", "aaaaaa", "aaaa"},
        {"1,234,567", ",", "", "1234567", "1234,567"},
        {"\"C:\\prog\" arg", "\"", "", "C:\\prog arg", "C:\\prog\" arg"},
        {"abab", "ab", "b", "bb", "bab"},
        {"aXbXc", "X", "--", "a--b--c", "a--bXc"},
        {"abc", "b", "b", "abc", "abc"},
        {"abc", "x", "y", "abc", "abc"},
        {"abc", "", "x", "abc", "abc"},
        {"", "a", "b", "", ""},
    };
    for (const ReplaceCase& c : cases) {
        ExtString all(c.text);
        EXPECT_EQ(all.ReplaceAll(c.find, c.replacement).Text(), c.all) << c.text << " / " << c.find;
        EXPECT_EQ(all.Text(), c.all);
        ExtString first(c.text);
        EXPECT_EQ(first.ReplaceFirst(c.find, c.replacement).Text(), c.first)
            << c.text << " / " << c.find;
        EXPECT_EQ(first.Text(), c.first);
    }
}

TEST(ExtStringTest, FormatNumberGroupsDigitsInThrees) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {100000, "100,000"},
        {999999, "999,999"},
        {1234567, "1,234,567"},
        {471000000, "471,000,000"},
        {4294967295u, "4,294,967,295"},
        {18446744073709551615u, "18,446,744,073,709,551,615"},
    };
    for (const auto& [value, expected] : cases) {
        ExtString text("old");
        EXPECT_EQ(text.FormatNumber(value).Text(), expected);
        EXPECT_EQ(text.Text(), expected);
    }
}

}  // namespace
