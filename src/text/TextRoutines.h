// Text helpers shared by every subsystem. Text is ANSI (Windows code page 1252) bytes held
// in std::string, as every Windows call the program makes is an "A" call.
#pragma once

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

// Upper-case and case-insensitive comparison for code page 1252: ASCII letters plus the
// accented Latin letters of the upper half (à/À, š/Š, ÿ/Ÿ ...).
char AnsiToUpper(char c);
std::string AnsiToUpper(std::string_view text);
bool AnsiEqualsNoCase(std::string_view a, std::string_view b);

// Text without leading and trailing spaces (only the space character, as VB's Trim).
std::string TrimSpaces(std::string_view text);
std::string TrimTrailingSpaces(std::string_view text);

}  // namespace sayvane
