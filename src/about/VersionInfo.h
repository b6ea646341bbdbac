// Reads a version resource through the version API and presents it as properties: the
// StringFileInfo strings, the first translation, and the fixed file information as numbers
// and readable text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/VersionApi.h"

namespace sayvane {

// The program's error record: the last failure's number, source and message.
struct ErrorRecord {
    std::int32_t number = 0;
    std::string source;
    std::string description;
    [[nodiscard]] bool Failed() const { return number != 0; }
};

// The thirteen 32-bit fields of VS_FIXEDFILEINFO, from the signature to the file date.
struct FixedFileInfo {
    std::uint32_t signature = 0, structVersion = 0, fileVersionMS = 0, fileVersionLS = 0, productVersionMS = 0,
                  productVersionLS = 0, fileFlagsMask = 0, fileFlags = 0, fileOS = 0, fileType = 0, fileSubtype = 0,
                  fileDateMS = 0, fileDateLS = 0;
};

// The failures a load records, with their numbers.
enum class VersionError : std::uint32_t {
    ModuleHandle = 0x812E7845,
    ModulePath = 0x812E7846,
    EmptyFileName = 0x812E7847,
    ResourceSize = 0x812E7848,
    ResourceData = 0x812E7849,
    Translation = 0x812E784A,
    FixedInfo = 0x812E784B,
};

// Text of the fixed information's fields.
[[nodiscard]] std::string FileFlagsText(std::uint32_t flagsAndMask);
[[nodiscard]] std::string FileOSText(std::uint32_t fileOS);
[[nodiscard]] std::string FileTypeText(std::uint32_t fileType);
[[nodiscard]] std::string FileSubTypeText(std::uint32_t fileType, std::uint32_t fileSubtype);
// The translation key of the first translation's four bytes: language id then code page,
// eight upper-case hexadecimal digits; an all-zero entry means "040904E4".
[[nodiscard]] std::string TranslationKey(const std::array<std::uint8_t, 4>& bytes);

class VersionInfo {
public:
    explicit VersionInfo(VersionApi& api) : m_api(api) {}

    // Setting either reloads everything; a failed step is recorded and the load goes on.
    void SetFileName(const std::string& fileName);
    void SetModuleName(const std::string& moduleName);
    [[nodiscard]] const std::string& FileName() const { return m_fileName; }
    [[nodiscard]] const std::string& ModuleName() const { return m_moduleName; }

    [[nodiscard]] const std::string& TranslationKeyText() const { return m_translationKey; }
    [[nodiscard]] std::uint32_t Language() const;
    [[nodiscard]] std::uint32_t CodePage() const;

    [[nodiscard]] std::string CompanyName() const { return QueryStringValue("CompanyName"); }
    [[nodiscard]] std::string FileDescription() const { return QueryStringValue("FileDescription"); }
    [[nodiscard]] std::string FileVersion() const { return QueryStringValue("FileVersion"); }
    [[nodiscard]] std::string InternalName() const { return QueryStringValue("InternalName"); }
    [[nodiscard]] std::string LegalCopyright() const { return QueryStringValue("LegalCopyright"); }
    [[nodiscard]] std::string OriginalFileName() const { return QueryStringValue("OriginalFileName"); }
    [[nodiscard]] std::string ProductName() const { return QueryStringValue("ProductName"); }
    [[nodiscard]] std::string ProductVersion() const { return QueryStringValue("ProductVersion"); }
    [[nodiscard]] std::string LegalTrademarks() const { return QueryStringValue("LegalTrademarks"); }
    [[nodiscard]] std::string LegalTrademarks1() const { return QueryStringValue("LegalTrademarks1"); }
    [[nodiscard]] std::string LegalTrademarks2() const { return QueryStringValue("LegalTrademarks2"); }
    [[nodiscard]] std::string Comments() const { return QueryStringValue("Comments"); }
    [[nodiscard]] std::string PrivateBuild() const { return QueryStringValue("PrivateBuild"); }
    [[nodiscard]] std::string SpecialBuild() const { return QueryStringValue("SpecialBuild"); }

    [[nodiscard]] std::uint32_t FileFlagsRaw() const { return m_fixed.fileFlags & m_fixed.fileFlagsMask; }
    [[nodiscard]] std::string FileFlags() const { return FileFlagsText(FileFlagsRaw()); }
    [[nodiscard]] std::uint32_t FileOSRaw() const { return m_fixed.fileOS; }
    [[nodiscard]] std::string FileOS() const { return FileOSText(m_fixed.fileOS); }
    [[nodiscard]] std::uint32_t FileTypeRaw() const { return m_fixed.fileType; }
    [[nodiscard]] std::string FileType() const { return FileTypeText(m_fixed.fileType); }
    [[nodiscard]] std::uint32_t FileSubTypeRaw() const { return m_fixed.fileSubtype; }
    [[nodiscard]] std::string FileSubType() const { return FileSubTypeText(m_fixed.fileType, m_fixed.fileSubtype); }

    [[nodiscard]] const FixedFileInfo& Fixed() const { return m_fixed; }
    // The last failure of the loads so far (number 0 when none).
    [[nodiscard]] const ErrorRecord& Error() const { return m_error; }

private:
    void LoadVersionInfo();
    void Fail(VersionError error);
    [[nodiscard]] std::string QueryStringValue(const std::string& key) const;

    VersionApi& m_api;
    std::string m_moduleName;
    std::string m_fileName;
    std::vector<std::uint8_t> m_data;
    std::string m_translationKey;
    FixedFileInfo m_fixed;
    ErrorRecord m_error;
};

// The FileVersion string of a file (isFile true) or a loaded module; empty when it cannot be
// read, in which case `error` holds what failed.
[[nodiscard]] std::string GetVersionText(VersionApi& api, const std::string& target, bool isFile,
                                         ErrorRecord* error = nullptr);

// The message a failed version read shows: "Error: <description> (<number>)".
[[nodiscard]] std::string VersionErrorMessage(const ErrorRecord& error);

}  // namespace sayvane
