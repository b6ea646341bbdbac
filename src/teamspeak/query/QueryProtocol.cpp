// The query interface's escaping, items and lines.
#include "teamspeak/query/QueryProtocol.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace sayvane::query {

namespace {

struct EscapePair {
    char plain;
    char escaped;  // the letter after the backslash
};
constexpr std::array<EscapePair, 11> kEscapes = {{
    {'\\', '\\'},
    {'/', '/'},
    {' ', 's'},
    {'|', 'p'},
    {'\a', 'a'},
    {'\b', 'b'},
    {'\f', 'f'},
    {'\n', 'n'},
    {'\r', 'r'},
    {'\t', 't'},
    {'\v', 'v'},
}};

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

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        bool escaped = false;
        for (const EscapePair& pair : kEscapes) {
            if (pair.plain == c) {
                out += '\\';
                out += pair.escaped;
                escaped = true;
                break;
            }
        }
        if (!escaped) {
            out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            break;  // a lone backslash at the end
        }
        char plain = text[i];  // an unknown escape keeps its character
        for (const EscapePair& pair : kEscapes) {
            if (pair.escaped == text[i]) {
                plain = pair.plain;
                break;
            }
        }
        out += plain;
    }
    return out;
}

QueryItem QueryItem::Parse(std::string_view text) {
    QueryItem item;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view field = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (field.empty()) {
            continue;
        }
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos) {
            item.m_fields.emplace_back(Unescape(field), std::string());
        } else {
            item.m_fields.emplace_back(Unescape(field.substr(0, equals)), Unescape(field.substr(equals + 1)));
        }
    }
    return item;
}

std::optional<std::string_view> QueryItem::Get(std::string_view key) const {
    for (const auto& [name, value] : m_fields) {
        if (name == key) {
            return std::string_view(value);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> QueryItem::Number(std::string_view key) const {
    const std::optional<std::string_view> value = Get(key);
    if (!value || value->empty()) {
        return std::nullopt;
    }
    std::int32_t number = 0;
    const char* end = value->data() + value->size();
    const auto [stop, error] = std::from_chars(value->data(), end, number);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return number;
}

std::int32_t QueryLine::ErrorId() const {
    if (items.empty()) {
        return -1;
    }
    return items.front().Number("id").value_or(-1);
}

std::size_t QueryLine::Footprint() const {
    std::size_t fields = 0;
    for (const QueryItem& item : items) {
        fields += item.Fields().size();
    }
    using Field = std::pair<std::string, std::string>;
    return sizeof(QueryLine) + bytes + items.size() * sizeof(QueryItem) + fields * sizeof(Field);
}

std::string QueryLine::ErrorMessage() const {
    if (items.empty()) {
        return {};
    }
    return std::string(items.front().Get("msg").value_or(std::string_view()));
}

QueryLine ParseLine(std::string_view text) {
    QueryLine line;
    line.bytes = text.size();
    // The first word names notifications, error lines and the banner's selection line.
    const std::size_t firstEnd = std::min(text.find(' '), text.find('|'));
    const std::string_view first = text.substr(0, firstEnd);
    if (first.find('=') == std::string_view::npos) {
        if (first.rfind("notify", 0) == 0) {
            line.kind = QueryLine::Kind::Notification;
        } else if (first == "error") {
            line.kind = QueryLine::Kind::Error;
        } else if (first == "selected") {
            line.kind = QueryLine::Kind::Banner;
        }
    }
    if (line.kind != QueryLine::Kind::Data) {
        line.name = std::string(first);
        text = firstEnd == std::string_view::npos ? std::string_view() : text.substr(firstEnd);
    }
    while (true) {
        const std::size_t bar = text.find('|');
        line.items.push_back(QueryItem::Parse(text.substr(0, bar)));
        if (bar == std::string_view::npos) {
            break;
        }
        text = text.substr(bar + 1);
    }
    return line;
}

void LineReader::Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (m_skipping) {
            i = bytes.find_first_of("\n\r", i);  // a flood is passed over at once
            if (i == std::string_view::npos) {
                return;
            }
        }
        const char c = bytes[i];
        if (c == '\n' || c == '\r') {
            EndLine();
            continue;
        }
        if (c == '|') {
            m_itemBytes = 0;
            m_skipping = ++m_items > kMaxItems;
        } else {
            m_skipping = ++m_itemBytes > kMaxItemBytes;
        }
        if (c == '|' || c == ' ') {
            m_skipping = m_skipping || ++m_fields > kMaxFields;
        }
        if (m_skipping || m_line.size() == kMaxLineBytes) {
            // Counted at once, so that a line that never ends is seen too.
            m_skipping = true;
            ++m_dropped;
            m_line.clear();
            continue;
        }
        m_line += c;
    }
}

void LineReader::EndLine() {
    if (!m_skipping && !m_line.empty()) {
        m_ready.push_back(ParseLine(m_line));
        m_readyBytes += m_line.size();
    }
    m_line.clear();
    m_itemBytes = 0;
    m_items = 1;
    m_fields = 1;
    m_skipping = false;
}

bool LineReader::Next(QueryLine& line) {
    if (m_readyFirst == m_ready.size()) {
        return false;
    }
    line = std::move(m_ready[m_readyFirst++]);
    m_readyBytes -= line.bytes;
    if (m_readyFirst == m_ready.size()) {
        m_ready.clear();
        m_readyFirst = 0;
    }
    return true;
}

void LineReader::Reset() {
    const std::size_t dropped = m_dropped;
    *this = LineReader();  // clear() would keep the capacity a flood left
    m_dropped = dropped;
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

}  // namespace sayvane::query
