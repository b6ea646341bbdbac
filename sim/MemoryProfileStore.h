// Settings files kept in memory, read and written with the portable store's INI semantics:
// for callers that go through very many settings files (the fuzzers), where real files and
// parsing the text again for every key would cost most of the time.
#pragma once

#include <map>
#include <string>

#include "sim/PortableProfileStore.h"

namespace sayvane::sim {

// Files are named as PortableProfileStore names them: "\" and "/" both separate folders.
// Every folder exists, so writing never fails.
class MemoryProfileStore final : public ProfileStore {
public:
    // Makes `text` the whole content of `file`, as an editor saving it would.
    void PutFile(const std::string& file, const std::string& text);

    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t capacity, const std::string& file) override;
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                                   const std::string& file) override;

private:
    // The file's content, empty when it has none yet (which reads as a missing file does).
    ProfileText& Profile(const std::string& file);

    std::map<std::string, ProfileText> m_files;  // by path with "/" only; parsed once per content
};

}  // namespace sayvane::sim
