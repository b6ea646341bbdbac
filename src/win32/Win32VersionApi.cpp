// The version-resource calls on version.dll.
#include "win32/Win32VersionApi.h"

#include <windows.h>

#include <algorithm>

namespace sayvane::win32 {

std::uintptr_t Win32VersionApi::ModuleHandle(const std::string& moduleName) {
    return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(moduleName.c_str()));
}

std::string Win32VersionApi::ModuleFileName(std::uintptr_t module) {
    char path[260] = {};
    const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(module), path, sizeof path);
    return std::string(path, length);
}

std::uint32_t Win32VersionApi::VersionInfoSize(const std::string& file) {
    DWORD ignored = 0;
    return GetFileVersionInfoSizeA(file.c_str(), &ignored);
}

std::optional<std::vector<std::uint8_t>> Win32VersionApi::VersionInfo(const std::string& file, std::uint32_t size) {
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) {
        return std::nullopt;
    }
    return block;
}

std::optional<std::vector<std::uint8_t>> Win32VersionApi::QueryValue(const std::vector<std::uint8_t>& block,
                                                                     const std::string& subBlock) {
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), subBlock.c_str(), &value, &length) || value == nullptr) {
        return std::nullopt;
    }
    // The value lies inside the block. A string's length counts its characters with the NUL,
    // which are bytes for the ANSI call; other values count bytes. Never copy past the block.
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    const auto* end = block.data() + block.size();
    if (bytes < block.data() || bytes > end) {
        return std::nullopt;
    }
    const std::size_t available = static_cast<std::size_t>(end - bytes);
    return std::vector<std::uint8_t>(bytes, bytes + std::min<std::size_t>(length, available));
}

}  // namespace sayvane::win32
