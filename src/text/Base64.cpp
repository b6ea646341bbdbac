// Bytes written as Base64 digits.
#include "text/Base64.h"

#include <algorithm>
#include <cstdint>

namespace sayvane {

std::string Base64(std::string_view bytes) {
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j) {
            group = (group << 8U) | (j < count ? static_cast<std::uint8_t>(bytes[i + j]) : 0U);
        }
        // Three bytes make four characters; each missing byte turns one at the end into "=".
        for (std::size_t j = 0; j < 4; ++j) {
            out += j <= count ? kAlphabet[(group >> (18U - 6U * j)) & 0x3FU] : '=';
        }
    }
    return out;
}

}  // namespace sayvane
