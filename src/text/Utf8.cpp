// UTF-8 decoded and checked, and code page 1252 mapped to and from Unicode.
#include "text/Utf8.h"

#include <array>
#include <cstddef>
#include <utility>

namespace sayvane {

namespace {

// Code page 1252's bytes 0x80..0x9F as Unicode; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kHighControls = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t AnsiToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t mapped = kHighControls[byte - 0x80];
        return mapped == 0 ? byte : mapped;
    }
    return byte;
}

char CodePointToAnsi(char32_t point) {
    if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) {
        return static_cast<char>(point);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        // The five bytes the code page leaves undefined stand for themselves both ways.
        const char32_t mapped = kHighControls[i] == 0 ? static_cast<char32_t>(0x80 + i) : kHighControls[i];
        if (mapped == point) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6U));
        out += static_cast<char>(0x80 | (point & 0x3FU));
    } else {
        out += static_cast<char>(0xE0 | (point >> 12U));
        out += static_cast<char>(0x80 | ((point >> 6U) & 0x3FU));
        out += static_cast<char>(0x80 | (point & 0x3FU));
    }
}

// The code point of the UTF-8 sequence at text[at], and its length; a length of 0 when the
// bytes there are not a well-formed sequence.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t point = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0FU;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07U;
    } else {
        return {0, 0};
    }
    if (at + length > text.size()) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0U) != 0x80) {
            return {0, 0};
        }
        point = (point << 6U) | (next & 0x3FU);
    }
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return {0, 0};
    }
    return {point, length};
}

}  // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = DecodeUtf8(text, i).second;
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const auto [point, length] = DecodeUtf8(utf8, i);
        if (length == 0) {
            out += static_cast<char>(byte);  // not UTF-8: taken as a 1252 byte
            ++i;
            continue;
        }
        out += CodePointToAnsi(point);
        i += length;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (const char c : ansi) {
        AppendUtf8(out, AnsiToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace sayvane
