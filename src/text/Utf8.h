// UTF-8, the voice clients' text, and the program's code-page-1252 bytes: whether text is
// well-formed UTF-8, and the conversions both ways.
#pragma once

#include <string>
#include <string_view>

namespace sayvane {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no cut sequence.
[[nodiscard]] bool IsUtf8(std::string_view text);

// Characters 1252 has no byte for become "?"; bytes that are not UTF-8 are taken as 1252, so
// a client that sends the program's own bytes is read as it meant.
[[nodiscard]] std::string Utf8ToAnsi(std::string_view utf8);
[[nodiscard]] std::string AnsiToUtf8(std::string_view ansi);

}  // namespace sayvane
