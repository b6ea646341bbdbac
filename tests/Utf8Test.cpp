// UTF-8: which byte sequences are well-formed, at the edges of each range, and the texts
// between UTF-8 and code page 1252.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "text/Utf8.h"

namespace sayvane {
namespace {

TEST(Utf8, WellFormedIsTheShortestFormOfAScalarValue) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"EDDF_APP \x7F", true},
        {"\xC2\x80", true},  // the first and last two-byte forms
        {"\xDF\xBF", true},
        {"\xC1\xBF", false},  // overlong
        {"\xE0\xA0\x80", true},
        {"\xE0\x9F\xBF", false},  // overlong
        {"\xED\x9F\xBF", true},   // just below the surrogates, the first of them, just above
        {"\xED\xA0\x80", false},
        {"\xEE\x80\x80", true},
        {"\xF0\x90\x80\x80", true},
        {"\xF0\x8F\xBF\xBF", false},  // overlong
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF, and past it
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"ok\x80", false},  // a lone continuation
        {"\xE2\x82\xAC", true},
        {"\xE2\x82", false},  // cut short, at the end and by another character
        {"\xE2\x82 x", false},
        {"\xFF", false},
    };
    for (const auto& [text, wellFormed] : cases) {
        EXPECT_EQ(IsUtf8(text), wellFormed) << ::testing::PrintToString(text);
    }
}

TEST(Utf8, CodePage1252BothWays) {
    const std::pair<std::string, std::string> cases[] = {
        {"EDDF_APP", "EDDF_APP"},     {"M\xC3\xBCller", "M\xFCller"},  // ü
        {"\xE2\x82\xAC 5", "\x80 5"},                                  // €: 1252 has it at 0x80
        {"\xC5\xA0koda", "\x8Akoda"},                                  // Š
        {"\xE6\x97\xA5", "?"},                                         // a character 1252 lacks
        {"\xF0\x9F\x98\x80!", "?!"},                                   // and one beyond 16 bits
        {"a\x80 \xC3", "a\x80 \xC3"},  // not UTF-8 (a lone continuation, a cut sequence,
        {"\xC0\xAF", "\xC0\xAF"},      // an overlong form): taken as 1252 bytes
    };
    for (const auto& [utf8, ansi] : cases) {
        EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << ::testing::PrintToString(utf8);
        if (IsUtf8(utf8) && ansi.find('?') == std::string::npos) {
            EXPECT_EQ(AnsiToUtf8(ansi), utf8) << ::testing::PrintToString(ansi);
        }
    }
    // Every byte, the five the code page leaves undefined too, comes back from UTF-8 as it went.
    for (int byte = 0; byte < 256; ++byte) {
        const std::string ansi(1, static_cast<char>(byte));
        EXPECT_TRUE(IsUtf8(AnsiToUtf8(ansi))) << byte;
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi) << byte;
    }
}

}  // namespace
}  // namespace sayvane
