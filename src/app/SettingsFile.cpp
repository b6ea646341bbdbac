// The settings file: where it is, and the two routines every reader and writer goes through.
#include "app/SettingsFile.h"

#include "text/TextRoutines.h"

namespace sayvane {

namespace {
constexpr std::size_t kReadBufferSize = 255;
}

std::string SettingsPath(std::string_view programFolder) {
    std::string path(programFolder);
    path += kSettingsFileName;
    return path;
}

std::string ReadIni(ProfileStore& store, const std::string& file, std::string_view key, std::string_view fallback,
                    std::string_view section) {
    const std::string value = store.GetString(section, key, fallback, kReadBufferSize, file);
    if (value.empty()) {
        return {};
    }
    return TrimTrailingSpaces(StripNull(value));
}

bool WriteIni(ProfileStore& store, const std::string& file, std::string_view section, std::string_view key,
              std::string_view value) {
    return store.WriteString(section, key, value, file);
}

bool WriteIni(ProfileStore& store, const std::string& file, std::string_view section, std::string_view key,
              std::int64_t value) {
    return store.WriteString(section, key, std::to_string(value), file);
}

}  // namespace sayvane
