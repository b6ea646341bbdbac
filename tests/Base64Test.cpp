// Base64 against RFC 4648's examples (no padding, one "=", two), and bytes that give the
// alphabet's last two digits.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "text/Base64.h"

namespace sayvane {
namespace {

TEST(Base64, TheStandardsExamples) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"foobar", "Zm9vYmFy"},
        {"\xFF\xFE\xFD", "//79"},
        {"\xFB\xEF", "++8="},
    };
    for (const auto& [bytes, digits] : cases) {
        EXPECT_EQ(Base64(bytes), digits) << digits;
    }
}

}  // namespace
}  // namespace sayvane
