// StripNull, ReplaceText, Prendi and the code-page-1252 case rules. Prendi's split at any
// delimiter is checked by fuzz/fuzz_text_routines.cpp; here its default.
#include <gtest/gtest.h>

#include "text/TextRoutines.h"

namespace sayvane {
namespace {

using namespace std::string_literals;

TEST(StripNull, CutsAtTheFirstNul) {
    EXPECT_EQ(StripNull("abc\0def"s), "abc");
    EXPECT_EQ(StripNull("\0abc"s), "");
    EXPECT_EQ(StripNull("abc"), "abc");
    EXPECT_EQ(StripNull(""), "");
}

struct ReplaceCase {
    std::string text, find, replacement;
    long start, count;
    CompareMode mode;
    std::string expected;
};

TEST(ReplaceText, TableOfArguments) {
    const CompareMode cs = CompareMode::CaseSensitive;
    const CompareMode ci = CompareMode::CaseInsensitive;
    const ReplaceCase cases[] = {
        {"1,5", ",", ".", 1, -1, cs, "1.5"},
        {"a,b,c", ",", "", 1, -1, cs, "abc"},
        {"aaa", "a", "aa", 1, -1, cs, "aaaaaa"},  // the inserted text is never searched again
        {"abc", "", "x", 1, -1, cs, "abc"},       // empty search text
        {"abc", "b", "b", 1, -1, cs, "abc"},      // search equals replacement
        {"a-b-c-d", "-", "+", 1, 2, cs, "a+b+c-d"},
        {"a-b-c", "-", "+", 1, 0, cs, "a+b-c"},  // the first occurrence is always replaced
        {"a-b-c", "-", "+", 1, 1, cs, "a+b-c"},
        {"a-b-c", "-", "+", 3, -1, cs, "a-b+c"},   // start is 1-based and keeps the text before it
        {"a-b-c", "-", "+", 2, -1, cs, "a+b+c"},   // an occurrence at the start position counts
        {"a-b-c", "-", "+", 0, -1, cs, "a+b+c"},   // below 1 counts as 1
        {"a-b-c", "-", "+", 99, -1, cs, "a-b-c"},  // beyond the end finds nothing
        {"Player:x player:y", "player:", "", 1, -1, cs, "Player:x y"},
        {"Player:x player:y", "player:", "", 1, -1, ci, "x y"},
        {"aAa", "a", "A", 1, -1, ci, "AAA"},           // terminates although "A" matches "a" without case
        {"\xE9t\xC9", "\xC9", "e", 1, -1, ci, "ete"},  // é and É are one letter without case
    };
    for (const ReplaceCase& c : cases) {
        EXPECT_EQ(ReplaceText(c.text, c.find, c.replacement, c.start, c.count, c.mode), c.expected)
            << "ReplaceText(\"" << c.text << "\", \"" << c.find << "\", \"" << c.replacement << "\", " << c.start
            << ", " << c.count << ", " << static_cast<int>(c.mode) << ")";
    }
}

TEST(Prendi, DefaultDelimiterIsAComma) {
    std::string names = ",Anna,Bob";
    EXPECT_EQ(Prendi(names), "");
    EXPECT_EQ(Prendi(names), "Anna");
    EXPECT_EQ(Prendi(names), "Bob");
    EXPECT_EQ(names, "");
}

TEST(AnsiCase, UpperCaseAndComparisonCoverCodePage1252Letters) {
    EXPECT_EQ(AnsiToUpper("eddf_twr 1"), "EDDF_TWR 1");
    EXPECT_EQ(AnsiToUpper("\xE0\xFE\xF7\xFF\x9A"), "\xC0\xDE\xF7\x9F\x8A");  // à þ ÷ ÿ š
    EXPECT_EQ(AnsiToUpper("\x9C\x9E\xDF\xB5\x80"), "\x8C\x8E\xDF\xB5\x80");  // œ ž, and ß µ € unchanged
    // Only those: every other byte above 0x7F stays as it is.
    int changed = 0;
    for (int c = 0x80; c < 0x100; ++c) {
        changed += AnsiToUpper(static_cast<char>(c)) != static_cast<char>(c) ? 1 : 0;
    }
    EXPECT_EQ(changed, 30 + 4) << "0xE0..0xFE without 0xF7, and š œ ž ÿ";
    EXPECT_TRUE(AnsiEqualsNoCase("Bob", "bOB"));
    EXPECT_TRUE(AnsiEqualsNoCase("J\xF6rg", "J\xD6RG"));  // Jörg
    EXPECT_FALSE(AnsiEqualsNoCase("Bob", "Bobby"));
    EXPECT_FALSE(AnsiEqualsNoCase("[", "{"));  // no folding outside letters
}

TEST(Trim, OnlySpacesAreTrimmed) {
    EXPECT_EQ(TrimSpaces("  abc def  "), "abc def");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("\tabc\t"), "\tabc\t");
    EXPECT_EQ(TrimTrailingSpaces("  abc  "), "  abc");
}

}  // namespace
}  // namespace sayvane
