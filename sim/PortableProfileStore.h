// An INI file reader and writer with the semantics of the Windows private-profile API, for
// builds and tests that have no Windows underneath.
#pragma once

#include <optional>
#include <vector>

#include "platform/ProfileStore.h"

namespace sayvane::sim {

// Reads and writes real files. Paths may use "\" as Windows paths do; elsewhere than on
// Windows it is taken as the folder separator.
//
// Reading: sections and keys match without regard to case; the first of duplicate keys
// wins, and only the first of duplicate sections is searched. Values lose their outer
// blanks and one pair of surrounding double or single quotes. The fallback loses its
// trailing blanks and surrounding quotes too.
// Writing: the file is rewritten whole, CRLF, one "[Section]" line and its "key=value"
// lines per section, blank lines dropped; an existing key keeps its place and spelling, a
// new key goes to the end of its section, a new section to the end of the file.
//
// The reading and writing themselves are ProfileText's, which a store that keeps its files
// elsewhere than on disk can use the same way.
class PortableProfileStore final : public ProfileStore {
public:
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t capacity, const std::string& file) override;
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                                   const std::string& file) override;
};

// The text of one settings file, parsed as PortableProfileStore reads it.
class ProfileText {
public:
    explicit ProfileText(std::string_view text = {});

    // What GetString gives for the file that holds this text.
    [[nodiscard]] std::string Get(std::string_view section, std::string_view key, std::string_view fallback,
                                  std::size_t capacity) const;
    // What WriteString does to the file; Text() is then the file as WriteString leaves it.
    // False when that text would not read back as this content (a line break in the value,
    // say): a caller that keeps the content must then parse Text() again.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    [[nodiscard]] std::string Text() const;

private:
    struct Entry {
        std::string key;
        std::optional<std::string> value;  // a line without "=" is kept, but has no value
    };
    struct Section {
        std::string name;
        bool hasHeader = true;  // lines before the first "[...]" form a section without one
        std::vector<Entry> entries;
    };

    std::vector<Section> m_sections;
};

}  // namespace sayvane::sim
