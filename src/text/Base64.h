// Base64 (RFC 4648, the standard alphabet with "=" padding), one way: the WebSocket
// handshake's key and accept key are written in it, and nothing Sayvane reads is.
#pragma once

#include <string>
#include <string_view>

namespace sayvane {

[[nodiscard]] std::string Base64(std::string_view bytes);

}  // namespace sayvane
