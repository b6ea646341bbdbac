// An INI file reader and writer with the semantics of the Windows private-profile API, for
// builds and tests that have no Windows underneath.
#pragma once

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
class PortableProfileStore final : public ProfileStore {
public:
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t capacity, const std::string& file) override;
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                                   const std::string& file) override;
};

}  // namespace sayvane::sim
