// The US keyboard layout's look-ups (see KeyboardLayoutContract.h).
#include "KeyboardLayoutContract.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "sim/SimulatedKeyboard.h"

namespace sayvane::testing {

using ::testing::PrintToString;

TEST_P(KeyboardLayoutContract, EveryCharacterOfTheMainBlockHasItsKeyAndShiftState) {
    // Not "(", ")" nor "<": the X server the Wine tests run on has no key for the first two
    // and types "<" with the extra key of 102-key keyboards. A letter's or a digit's key is
    // its capital's code; the punctuation is on the OEM keys.
    const std::string plain = "abcdefghijklmnopqrstuvwxyz12345678;=-./`[\\]'";
    const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*:+_>?~{|}\"";
    const int oemKeys[] = {0xBA, 0xBB, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE};
    const std::size_t firstOem = 34;
    ASSERT_EQ(plain.size(), upper.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int key = i < firstOem ? std::toupper(static_cast<unsigned char>(plain[i])) : oemKeys[i - firstOem];
        EXPECT_EQ(Board().KeyForCharacter(plain[i]), key) << PrintToString(plain[i]);
        EXPECT_EQ(Board().KeyForCharacter(upper[i]), 0x100 | key) << PrintToString(upper[i]);
    }
    const struct {
        char character;
        std::int16_t lookUp;
    } others[] = {
        // Control characters are typed with Ctrl and their letter: 0x01 is Ctrl+A, 0x1A Ctrl+Z.
        {'0', 0x30},  {',', 0xBC},    {' ', 0x20},     {'\r', 0x0D},    {'\t', 0x09},
        {'\b', 0x08}, {'\x1B', 0x1B}, {'\x01', 0x241}, {'\x1A', 0x25A},
    };
    for (const auto& other : others) {
        EXPECT_EQ(Board().KeyForCharacter(other.character), other.lookUp) << PrintToString(other.character);
    }
}

TEST_P(KeyboardLayoutContract, VirtualKeysMapToTheirScanCodesAndUnshiftedCharacters) {
    const struct {
        int virtualKey;
        std::uint32_t scanCode;
        std::uint32_t character;
    } cases[] = {
        {'A', 0x1E, 'A'},   {'C', 0x2E, 'C'},  {'Q', 0x10, 'Q'},   {'Z', 0x2C, 'Z'},   {'1', 0x02, '1'},
        {'0', 0x0B, '0'},   {0x20, 0x39, ' '}, {0x0D, 0x1C, '\r'}, {0x08, 0x0E, '\b'}, {0x09, 0x0F, '\t'},
        {0x1B, 0x01, 0x1B}, {0xBD, 0x0C, '-'}, {0xBA, 0x27, ';'},  {0xDE, 0x28, '\''}, {0xC0, 0x29, '`'},
        {0x10, 0x2A, 0},    {0x11, 0x1D, 0},   {0x12, 0x38, 0},    {0x14, 0x3A, 0},    {0x70, 0x3B, 0},
        {0x7B, 0x58, 0},    {0x25, 0x4B, 0},   {0x2E, 0x53, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "virtual key 0x" << std::hex << c.virtualKey);
        EXPECT_EQ(Board().MapKey(static_cast<std::uint32_t>(c.virtualKey), kMapVirtualKeyToScanCode), c.scanCode);
        EXPECT_EQ(Board().MapKey(static_cast<std::uint32_t>(c.virtualKey), kMapVirtualKeyToChar), c.character);
    }
}

TEST_P(KeyboardLayoutContract, ALookUpValueWithItsShiftStateAndALetterOfTheUpperHalfNameNoKey) {
    for (std::uint32_t lookUp : {0x141u, 0x1BDu, 0x231u, 0x651u}) {
        SCOPED_TRACE(lookUp);
        EXPECT_EQ(Board().MapKey(lookUp, kMapVirtualKeyToScanCode), 0u);
        EXPECT_EQ(Board().MapKey(lookUp, kMapVirtualKeyToChar), 0u);
    }
    for (char c : {'\xE9', '\xFC', '\xDF', '\xA3'}) {
        EXPECT_EQ(Board().KeyForCharacter(c), -1) << PrintToString(c);
    }
}

INSTANTIATE_TEST_SUITE_P(Keyboard, KeyboardLayoutContract,
                         ::testing::Values(MakeKeyboard<sim::SimulatedKeyboard>("Simulated")));

}  // namespace sayvane::testing
