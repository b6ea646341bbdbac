// SHA-1 against the FIPS 180 examples: one block, a message whose padding takes a second
// block, and a million bytes.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "text/Sha1.h"

namespace sayvane {
namespace {

std::string Hex(const std::array<std::uint8_t, 20>& digest) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : digest) {
        text += kDigits[byte >> 4U];
        text += kDigits[byte & 0xFU];
    }
    return text;
}

TEST(Sha1, TheStandardsExamples) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& [message, digest] : cases) {
        EXPECT_EQ(Hex(Sha1(message)), digest) << message.size() << " bytes";
    }
}

}  // namespace
}  // namespace sayvane
