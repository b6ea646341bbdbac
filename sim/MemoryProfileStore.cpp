// Settings files in memory, with the portable INI semantics.
#include "sim/MemoryProfileStore.h"

#include <algorithm>

namespace sayvane::sim {

ProfileText& MemoryProfileStore::Profile(const std::string& file) {
    std::string path = file;
    std::replace(path.begin(), path.end(), '\\', '/');
    return m_files[path];
}

void MemoryProfileStore::PutFile(const std::string& file, const std::string& text) {
    Profile(file) = ProfileText(text);
}

std::string MemoryProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                          std::size_t capacity, const std::string& file) {
    return Profile(file).Get(section, key, fallback, capacity);
}

bool MemoryProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                     const std::string& file) {
    ProfileText& profile = Profile(file);
    if (!profile.Set(section, key, value)) {
        // The file store reads back the text it wrote: so does this one when that text reads
        // otherwise than what was set.
        profile = ProfileText(profile.Text());
    }
    return true;
}

}  // namespace sayvane::sim
