// SHA-1 (FIPS 180-4), which the WebSocket handshake needs for its accept key: a check that
// the server read the key we sent, not a security measure.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace sayvane {

[[nodiscard]] std::array<std::uint8_t, 20> Sha1(std::string_view bytes);

}  // namespace sayvane
