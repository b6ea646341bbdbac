// The version-resource calls: which file a module is, the file's version block, and the
// values inside a block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sayvane {

class VersionApi {
public:
    virtual ~VersionApi() = default;

    // GetModuleHandleA: a handle of a loaded module, 0 when it is not loaded. An empty name
    // gives the program's own module.
    [[nodiscard]] virtual std::uintptr_t ModuleHandle(const std::string& moduleName) = 0;
    // GetModuleFileNameA into a 260-character buffer; empty text on failure.
    [[nodiscard]] virtual std::string ModuleFileName(std::uintptr_t module) = 0;
    // GetFileVersionInfoSizeA; 0 when the file has no version resource.
    [[nodiscard]] virtual std::uint32_t VersionInfoSize(const std::string& file) = 0;
    // GetFileVersionInfoA into a block of `size` bytes; nullopt when the call fails.
    [[nodiscard]] virtual std::optional<std::vector<std::uint8_t>> VersionInfo(const std::string& file,
                                                                               std::uint32_t size) = 0;
    // VerQueryValueA: the bytes of a value of the block ("\\", "\\VarFileInfo\\Translation",
    // "\\StringFileInfo\\040904E4\\FileVersion" ...); nullopt when the block has none. A string
    // value comes with its terminating NUL.
    [[nodiscard]] virtual std::optional<std::vector<std::uint8_t>> QueryValue(const std::vector<std::uint8_t>& block,
                                                                              const std::string& subBlock) = 0;

protected:
    VersionApi() = default;
    VersionApi(const VersionApi&) = default;
    VersionApi& operator=(const VersionApi&) = default;
    VersionApi(VersionApi&&) = default;
    VersionApi& operator=(VersionApi&&) = default;
};

}  // namespace sayvane
