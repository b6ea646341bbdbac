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

}  // namespace sayvane::query
