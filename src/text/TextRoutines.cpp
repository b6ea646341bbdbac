// Text helpers shared by every subsystem.
#include "text/TextRoutines.h"

#include <algorithm>

namespace sayvane {

std::string StripNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string AnsiToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = AnsiToUpper(c);
    }
    return out;
}

bool AnsiEqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AnsiToUpper(x) == AnsiToUpper(y); });
}

namespace {

std::size_t FindFrom(const std::string& text, std::string_view find, std::size_t from, CompareMode mode) {
    if (mode == CompareMode::CaseSensitive) {
        return text.find(find, from);
    }
    if (find.size() > text.size()) {
        return std::string::npos;
    }
    for (std::size_t p = from; p + find.size() <= text.size(); ++p) {
        if (AnsiEqualsNoCase(std::string_view(text).substr(p, find.size()), find)) {
            return p;
        }
    }
    return std::string::npos;
}

}  // namespace

std::string ReplaceText(std::string text, std::string_view find, std::string_view replacement, long start, long count,
                        CompareMode mode) {
    if (find.empty() || find == replacement) {
        return text;
    }
    const std::size_t from = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    if (from > text.size()) {
        return text;
    }
    long replaced = 0;
    std::size_t p = FindFrom(text, find, from, mode);
    while (p != std::string::npos) {
        text.replace(p, find.size(), replacement);
        ++replaced;
        if (count != -1 && replaced >= count) {
            break;
        }
        p = FindFrom(text, find, p + replacement.size(), mode);
    }
    return text;
}

std::string Prendi(std::string& str, std::string_view delimiter) {
    const std::size_t p = delimiter.empty() ? std::string::npos : str.find(delimiter);
    if (p == std::string::npos) {
        std::string all = std::move(str);
        str.clear();
        return all;
    }
    std::string head = str.substr(0, p);
    str.erase(0, p + delimiter.size());
    return head;
}

std::string TrimTrailingSpaces(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return TrimTrailingSpaces(text.substr(first));
}

std::string PeerText(std::string_view text, std::size_t most) {
    std::string shown;
    for (const char c : text) {
        if (shown.size() == most) {
            break;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
        }
    }
    return shown;
}

bool IsKeyText(std::string_view key) {
    return key.size() <= kMostKeyCharacters &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace sayvane
