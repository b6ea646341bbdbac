// The conversions between settings text and numbers.
#include <gtest/gtest.h>

#include <limits>

#include "text/NumericText.h"

namespace sayvane {
namespace {

TEST(TextToInt16, AcceptsBlanksSignsFractionsAndExponents) {
    struct Case {
        const char* text;
        std::optional<std::int16_t> expected;
    };
    const Case cases[] = {
        {"6", 6},         {"  6  ", 6},       {"\t6\t", 6},
        {"+6", 6},        {"-1", -1},         {"2.5", 2},
        {"3.5", 4},       {"-2.5", -2},       {"0.5", 0},
        {"2.51", 3},      {".5", 0},          {"5.", 5},
        {"1e2", 100},     {"1E+2", 100},      {"15e-1", 2},
        {"32767", 32767}, {"32767.4", 32767}, {"32767.5", {}},
        {"32768", {}},    {"-32768", -32768}, {"-32768.5", -32768},
        {"-32769", {}},   {"", {}},           {"   ", {}},
        {"abc", {}},      {"6a", {}},         {"1 2", {}},
        {"1,5", {}},      {"0x10", {}},       {"&H10", {}},
        {"1e", {}},       {"-", {}},          {".", {}},
        {"inf", {}},      {"nan", {}},        {"1e99999", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt16(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(TextToInt16, FollowsTheLocaleDecimalSeparator) {
    const NumberFormat comma{','};
    EXPECT_EQ(TextToInt16("1,5", comma), 2);
    EXPECT_EQ(TextToInt16("60,4", comma), 60);
    EXPECT_EQ(TextToInt16("1.5", comma), std::nullopt);
    EXPECT_EQ(TextToDouble("2,25", comma), 2.25);
}

TEST(TextToInt32, CoversTheWholeRange) {
    // The twelve-digit form the last place is saved in is read back by SettingsFileTest.
    EXPECT_EQ(TextToInt32("40000"), 40000);
    EXPECT_EQ(TextToInt32("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TextToInt32("2147483648"), std::nullopt);
    EXPECT_EQ(TextToInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(LeadingNumberToInt32, TakesTheLongestLeadingNumber) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"000000065280", 65280},
        {"65280", 65280},
        {"  65280", 65280},
        {"65280 green", 65280},
        {"12abc", 12},
        {"-5x", -5},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"2.5", 2},
        {"3.5", 4},
        {"1e3", 1000},
        {"1e", 1},
        {"1,5", 1},
        {"0x10", 0},
        {"2147483647", 2147483647},
        {"2147483648", {}},
        {"99999999999", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LeadingNumberToInt32(c.text), c.expected) << '"' << c.text << '"';
    }
}

// The colours and places as the settings file holds them are told by ConfigFormTest and SettingsFileTest.
TEST(FormatTwelveDigits, PadsToTwelveDigitsWithTheSignInFront) {
    EXPECT_EQ(FormatTwelveDigits(0), "000000000000");
    EXPECT_EQ(FormatTwelveDigits(std::numeric_limits<std::int32_t>::min()), "-002147483648");
    EXPECT_EQ(FormatTwelveDigits(1234567890123), "1234567890123");  // never cut
}

}  // namespace
}  // namespace sayvane
