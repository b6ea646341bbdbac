// The settings file: where it is, and the two routines every reader and writer goes through.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ProfileStore.h"

namespace sayvane {

inline constexpr std::string_view kSettingsSection = "Setup";
inline constexpr std::string_view kSettingsFileName = "\\Sayvane.INI";

// The settings file of a program in `programFolder` (as the platform reports the folder
// of the executable). A folder given with a trailing "\" (a drive root) yields a doubled
// "\", which Windows accepts. Every client builds the path when it needs it; nothing caches it.
std::string SettingsPath(std::string_view programFolder);

// One key's value as text: the profile value read through a 255-character buffer (so at
// most 254 characters), cut at its first NUL and without trailing spaces; `fallback` when
// the file, section or key is missing; empty text when the key is present but empty.
std::string ReadIni(ProfileStore& store, const std::string& file, std::string_view key, std::string_view fallback,
                    std::string_view section = kSettingsSection);

// Writes one key. Returns false when the file could not be written (for example a folder
// the user may not write to), so that a caller who was asked to save can say so.
[[nodiscard]] bool WriteIni(ProfileStore& store, const std::string& file, std::string_view section,
                            std::string_view key, std::string_view value);
[[nodiscard]] bool WriteIni(ProfileStore& store, const std::string& file, std::string_view section,
                            std::string_view key, std::int64_t value);

}  // namespace sayvane
