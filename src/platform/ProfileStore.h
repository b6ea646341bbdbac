// Reading and writing one key of an INI ("private profile") file: the only persistent
// store Sayvane has. Implemented by the Windows profile API and by a portable INI file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sayvane {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // As GetPrivateProfileStringA with a buffer of `capacity` characters: the key's value,
    // or `fallback` when the file, the section or the key is missing, cut to capacity - 1
    // characters. A key present with an empty value gives empty text, not the fallback.
    virtual std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                  std::size_t capacity, const std::string& file) = 0;

    // As WritePrivateProfileStringA: creates the file or the section when needed, replaces
    // the key in place or appends it to its section. False when the file could not be written.
    [[nodiscard]] virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                                           const std::string& file) = 0;

protected:
    ProfileStore() = default;
    ProfileStore(const ProfileStore&) = default;
    ProfileStore& operator=(const ProfileStore&) = default;
    ProfileStore(ProfileStore&&) = default;
    ProfileStore& operator=(ProfileStore&&) = default;
};

}  // namespace sayvane
