// The settings store on Windows: the private-profile API itself.
#pragma once

#include "platform/ProfileStore.h"

namespace sayvane::win32 {

class Win32ProfileStore final : public ProfileStore {
public:
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t capacity, const std::string& file) override;
    [[nodiscard]] bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                                   const std::string& file) override;
};

}  // namespace sayvane::win32
