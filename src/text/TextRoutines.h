// Text helpers shared by every subsystem. Text is ANSI (Windows code page 1252) bytes held
// in std::string, as every Windows call the program makes is an "A" call.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sayvane {

// The text before the first NUL character, or the whole text when it has none.
std::string StripNull(std::string_view text);

enum class CompareMode { CaseSensitive = 0, CaseInsensitive = 1 };

// Replaces occurrences of `find` in `text`, searching from the 1-based position `start`
// (below 1 counts as 1). At most `count` replacements, -1 meaning all; the first occurrence
// is always replaced whatever `count` says. A replacement is never searched again, so
// replacing "a" by "aa" terminates. An empty `find`, or one equal to `replacement`, leaves
// the text unchanged.
std::string ReplaceText(std::string text, std::string_view find, std::string_view replacement, long start = 1,
                        long count = -1, CompareMode mode = CompareMode::CaseSensitive);

// Splits off the head of `str` before the first `delimiter` (case-sensitive) and returns it;
// `str` keeps what follows the delimiter. Without a delimiter in `str` (or with an empty
// delimiter) the whole text is returned and `str` becomes empty.
std::string Prendi(std::string& str, std::string_view delimiter = ",");

// A text another program sent, made fit to show: control characters (line ends included)
// left out, and at most `most` characters kept, so that a peer cannot fill a message box.
std::string PeerText(std::string_view text, std::size_t most = 200);

// The most characters of a voice client's API key Sayvane keeps.
inline constexpr std::size_t kMostKeyCharacters = 200;
// Whether `key` may go into the settings file as a voice client's API key: printable ASCII
// (no CR, LF, NUL or other control character, which would end or split the line), at most
// kMostKeyCharacters, which the profile API reads back whole.
[[nodiscard]] bool IsKeyText(std::string_view key);

namespace detail {

// The upper-case form of every code-page-1252 byte, as a table: sorting a thousand names
// folds each of their characters many times.
constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> table{};
    for (unsigned u = 0; u < 256; ++u) {
        unsigned upper = u;
        const bool ascii = u >= 'a' && u <= 'z';
        const bool latin1 = u >= 0xE0 && u <= 0xFE && u != 0xF7;  // but the division sign
        if (ascii || latin1) {
            upper = u - 0x20;
        } else if (u == 0x9A || u == 0x9C || u == 0x9E) {
            upper = u - 0x10;  // š -> Š, œ -> Œ, ž -> Ž
        } else if (u == 0xFF) {
            upper = 0x9F;  // ÿ -> Ÿ
        }
        table[u] = static_cast<unsigned char>(upper);
    }
    return table;
}
inline constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace detail

// Upper-case and case-insensitive comparison for code page 1252: ASCII letters plus the
// accented Latin letters of the upper half (à/À, š/Š, ÿ/Ÿ ...).
inline char AnsiToUpper(char c) {
    return static_cast<char>(detail::kUpper[static_cast<unsigned char>(c)]);
}
std::string AnsiToUpper(std::string_view text);
bool AnsiEqualsNoCase(std::string_view a, std::string_view b);

// Text without leading and trailing spaces (only the space character, as VB's Trim).
std::string TrimSpaces(std::string_view text);
std::string TrimTrailingSpaces(std::string_view text);

}  // namespace sayvane
