// The version-resource calls on version.dll.
#pragma once

#include "platform/VersionApi.h"

namespace sayvane::win32 {

class Win32VersionApi final : public VersionApi {
public:
    [[nodiscard]] std::uintptr_t ModuleHandle(const std::string& moduleName) override;
    [[nodiscard]] std::string ModuleFileName(std::uintptr_t module) override;
    [[nodiscard]] std::uint32_t VersionInfoSize(const std::string& file) override;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> VersionInfo(const std::string& file,
                                                                       std::uint32_t size) override;
    [[nodiscard]] std::optional<std::vector<std::uint8_t>> QueryValue(const std::vector<std::uint8_t>& block,
                                                                      const std::string& subBlock) override;
};

}  // namespace sayvane::win32
