// The settings store on Windows: the private-profile API itself.
#include "win32/Win32ProfileStore.h"

#include <windows.h>

#include <vector>

namespace sayvane::win32 {

std::string Win32ProfileStore::GetString(std::string_view section, std::string_view key, std::string_view fallback,
                                         std::size_t capacity, const std::string& file) {
    if (capacity == 0) {
        return {};
    }
    std::vector<char> buffer(capacity, '\0');
    const DWORD count =
        GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(),
                                 buffer.data(), static_cast<DWORD>(capacity), file.c_str());
    return std::string(buffer.data(), std::min<std::size_t>(count, capacity - 1));
}

bool Win32ProfileStore::WriteString(std::string_view section, std::string_view key, std::string_view value,
                                    const std::string& file) {
    return WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                      std::string(value).c_str(), file.c_str()) != FALSE;
}

}  // namespace sayvane::win32
