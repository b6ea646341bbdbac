// An INI file reader and writer with the semantics of the Windows private-profile API.
#include "sim/PortableProfileStore.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "text/TextRoutines.h"

namespace sayvane::sim {

namespace {

std::string NativePath(const std::string& file) {
#ifdef _WIN32
    return file;
#else
    std::string path = file;
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
#endif
}

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string_view StripQuotes(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// The whole file; empty when it cannot be read, which reads as a missing file does.
std::string ReadWholeFile(const std::string& file) {
    std::ifstream in(NativePath(file), std::ios::binary);
    std::ostringstream text;
    if (in) {
        text << in.rdbuf();
    }
    return text.str();
}

// A section with a header and this name, without regard to case. Searches take the first
// such section: the keys of a later one of the same name are never found.
auto SectionNamed(std::string_view name) {
    return [name](const auto& section) { return section.hasHeader && AnsiEqualsNoCase(section.name, name); };
}

// An entry with this key, without regard to case; searches take the first.
auto EntryKeyed(std::string_view key) {
    return [key](const auto& entry) { return AnsiEqualsNoCase(entry.key, key); };
}

// One line as the reader takes it (its "\r" before "\n" already dropped): a "[Section]" header,
// a "key=value" entry, or a line kept as a key without a value. Nothing for a blank line.
struct Line {
    bool header = false;
    std::string_view name;  // the section's, or the key
    std::optional<std::string_view> value;
};

std::optional<Line> ReadLine(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    if (trimmed.front() == '[') {
        const auto close = trimmed.rfind(']');
        return Line{true,
                    TrimBlanks(close == std::string_view::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1)),
                    std::nullopt};
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        return Line{false, trimmed, std::nullopt};
    }
    return Line{false, TrimBlanks(trimmed.substr(0, equals)), TrimBlanks(trimmed.substr(equals + 1))};
}

// Whether `line`, written out and read again, gives back this header or entry.
bool ReadsBack(const std::string& line, bool header, std::string_view name, std::optional<std::string_view> value) {
    const std::optional<Line> read = ReadLine(line);
    return line.find('\n') == std::string::npos && read && read->header == header && read->name == name &&
           read->value == value;
}

}  // namespace

ProfileText::ProfileText(std::string_view text) {
    // Lines end at "\n", and lose one "\r" before it.
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::optional<Line> read = ReadLine(line);
        if (!read) {
            continue;
        }
        if (read->header) {
            m_sections.push_back(Section{std::string(read->name), true, {}});
            continue;
        }
        if (m_sections.empty()) {
            m_sections.push_back(Section{"", false, {}});
        }
        Entry& entry = m_sections.back().entries.emplace_back(Entry{std::string(read->name), std::nullopt});
        if (read->value) {
            entry.value.emplace(*read->value);
        }
    }
}

std::string ProfileText::Get(std::string_view section, std::string_view key, std::string_view fallback,
                             std::size_t capacity) const {
    std::string_view value;
    const Entry* entry = nullptr;
    const auto s = std::find_if(m_sections.begin(), m_sections.end(), SectionNamed(section));
    if (s != m_sections.end()) {
        const auto e = std::find_if(s->entries.begin(), s->entries.end(), EntryKeyed(key));
        entry = e == s->entries.end() ? nullptr : &*e;
    }
    if (entry != nullptr && entry->value) {
        value = StripQuotes(*entry->value);
    } else {
        const auto last = fallback.find_last_not_of(" \t");
        value = StripQuotes(last == std::string_view::npos ? std::string_view() : fallback.substr(0, last + 1));
    }
    if (capacity == 0) {
        return {};
    }
    return std::string(value.substr(0, capacity - 1));
}

bool ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto target = std::find_if(m_sections.begin(), m_sections.end(), SectionNamed(section));
    const bool newSection = target == m_sections.end();
    if (newSection) {
        m_sections.push_back(Section{std::string(section), true, {}});
        target = std::prev(m_sections.end());
    }
    const std::string newValue(TrimBlanks(value));
    auto entry = std::find_if(target->entries.begin(), target->entries.end(), EntryKeyed(key));
    if (entry != target->entries.end()) {
        entry->value = newValue;
    } else {
        entry = target->entries.insert(target->entries.end(), Entry{std::string(key), newValue});
    }
    // Each line is read on its own, under the header above it: the change reads back as made
    // when the lines it wrote read back as themselves.
    return (!newSection || ReadsBack("[" + target->name + "]", true, target->name, std::nullopt)) &&
           ReadsBack(entry->key + "=" + newValue, false, entry->key, newValue);
}

std::string ProfileText::Text() const {
    std::string text;
    for (const Section& s : m_sections) {
        if (s.hasHeader) {
            text.append("[").append(s.name).append("]\r\n");
        }
        for (const Entry& e : s.entries) {
            text.append(e.key);
            if (e.value) {
                text.append("=").append(*e.value);
            }
            text.append("\r\n");
        }
    }
    return text;
}

std::string PortableProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                            std::size_t capacity, const std::string& file) {
    return ProfileText(ReadWholeFile(file)).Get(section, key, fallback, capacity);
}

bool PortableProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                       const std::string& file) {
    ProfileText profile(ReadWholeFile(file));
    static_cast<void>(profile.Set(section, key, value));  // the text is read again on every call
    std::ofstream out(NativePath(file), std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out << profile.Text();
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace sayvane::sim
