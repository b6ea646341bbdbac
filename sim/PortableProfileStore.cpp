// An INI file reader and writer with the semantics of the Windows private-profile API.
#include "sim/PortableProfileStore.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "text/TextRoutines.h"

namespace sayvane::sim {

namespace {

struct Entry {
    std::string key;
    std::optional<std::string> value;  // a line without "=" is kept, but has no value
};

struct Section {
    std::string name;
    bool hasHeader = true;  // lines before the first "[...]" form a section without one
    std::vector<Entry> entries;
};

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

std::optional<std::vector<Section>> Load(const std::string& file) {
    std::ifstream in(NativePath(file), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<Section> sections;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string_view text = TrimBlanks(line);
        if (text.empty()) {
            continue;
        }
        if (text.front() == '[') {
            const auto close = text.rfind(']');
            const auto name = close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1);
            sections.push_back(Section{std::string(TrimBlanks(name)), true, {}});
            continue;
        }
        if (sections.empty()) {
            sections.push_back(Section{"", false, {}});
        }
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) {
            sections.back().entries.push_back(Entry{std::string(text), std::nullopt});
        } else {
            sections.back().entries.push_back(Entry{std::string(TrimBlanks(text.substr(0, equals))),
                                                    std::string(TrimBlanks(text.substr(equals + 1)))});
        }
    }
    return sections;
}

Section* FindSection(std::vector<Section>& sections, std::string_view name) {
    for (Section& s : sections) {
        if (s.hasHeader && AnsiEqualsNoCase(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}

Entry* FindEntry(Section& section, std::string_view key) {
    for (Entry& e : section.entries) {
        if (AnsiEqualsNoCase(e.key, key)) {
            return &e;
        }
    }
    return nullptr;
}

std::string_view StripQuotes(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace

std::string PortableProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                            std::size_t capacity, const std::string& file) {
    std::string_view value;
    std::optional<std::vector<Section>> sections = Load(file);
    const Entry* entry = nullptr;
    if (sections) {
        if (Section* s = FindSection(*sections, section)) {
            entry = FindEntry(*s, key);
        }
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

bool PortableProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                       const std::string& file) {
    std::vector<Section> sections = Load(file).value_or(std::vector<Section>{});
    Section* target = FindSection(sections, section);
    if (target == nullptr) {
        sections.push_back(Section{std::string(section), true, {}});
        target = &sections.back();
    }
    const std::string newValue(TrimBlanks(value));
    if (Entry* entry = FindEntry(*target, key)) {
        entry->value = newValue;
    } else {
        target->entries.push_back(Entry{std::string(key), newValue});
    }

    std::ostringstream text;
    for (const Section& s : sections) {
        if (s.hasHeader) {
            text << '[' << s.name << "]\r\n";
        }
        for (const Entry& e : s.entries) {
            text << e.key;
            if (e.value) {
                text << '=' << *e.value;
            }
            text << "\r\n";
        }
    }
    std::ofstream out(NativePath(file), std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out << text.str();
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace sayvane::sim
