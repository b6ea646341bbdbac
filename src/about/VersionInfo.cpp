// Reads a version resource and presents it as properties.
#include "about/VersionInfo.h"

#include <cstdio>
#include <cstring>

#include "text/TextRoutines.h"

namespace sayvane {

namespace {

constexpr char kDefaultTranslationKey[] = "040904E4";

const char* ErrorMessage(VersionError error) {
    switch (error) {
        case VersionError::ModuleHandle: return "Unable to retrieve module handle.";
        case VersionError::ModulePath: return "Unable to retrieve module file name.";
        case VersionError::EmptyFileName:
            return "Either you haven't specified a valid file name, or the module you specified can't be associated "
                   "with a file.";
        case VersionError::ResourceSize:
            return "Unable to retrieve the version info size. Perhaps the module name or file name is invalid.";
        case VersionError::ResourceData: return "Unable to retrieve version information.";
        case VersionError::Translation: return "Unable to retrieve language and code page information.";
        case VersionError::FixedInfo: return "Unable to retrieve fixed file version information.";
    }
    return "";
}

// The last n characters of n zeros followed by the text.
std::string PadLeftZeros(const std::string& text, std::size_t n = 2) {
    const std::string padded = std::string(n, '0') + text;
    return padded.substr(padded.size() - n);
}

std::string Hex(std::uint8_t byte) {
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%X", byte);
    return buffer;
}

std::uint32_t HexDigits(const std::string& key, std::size_t from) {
    if (key.size() != 8) {
        return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = from; i < from + 4; ++i) {
        const char c = key[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) {
            return 0;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

std::string FileFlagsText(std::uint32_t flagsAndMask) {
    static constexpr std::pair<std::uint32_t, const char*> kFlags[] = {
        {0x01, "Debug "}, {0x04, "Patched "}, {0x02, "Pre-release "}, {0x08, "Private "}, {0x20, "Special "}};
    std::string text;
    for (const auto& [bit, name] : kFlags) {
        if (flagsAndMask & bit) {
            text += name;
        }
    }
    return text;
}

std::string FileOSText(std::uint32_t fileOS) {
    std::string text;
    switch (fileOS & 0xFFFF) {
        case 1: text = "Win16 API"; break;
        case 2: text = "PM16 API"; break;
        case 3: text = "PM32 API"; break;
        case 4: text = "Win32 API"; break;
        default: text = "Unknown API"; break;
    }
    switch (fileOS & 0xFFFF0000u) {
        case 0x10000: text += " on DOS"; break;
        case 0x20000: text += " on OS2/16"; break;
        case 0x30000: text += " on OS2/32"; break;
        case 0x40000: text += " on Windows NT"; break;
        default: break;
    }
    return text;
}

std::string FileTypeText(std::uint32_t fileType) {
    switch (fileType) {
        case 0: return "Unknown";
        case 1: return "Application";
        case 2: return "DLL";
        case 3: return "Driver";
        case 4: return "Font";
        case 5: return "VXD";
        case 7: return "Static-link library";
        default: return "";
    }
}

std::string FileSubTypeText(std::uint32_t fileType, std::uint32_t fileSubtype) {
    static constexpr const char* kDrivers[] = {"Printer", "Keyboard",       "Language",    "Display",
                                               "Mouse",   "Network",        "System",      "Installable",
                                               "Sound",   "Communications", "Input Method"};
    static constexpr const char* kFonts[] = {"Raster", "Vector", "TrueType"};
    if (fileType == 3 && fileSubtype >= 1 && fileSubtype <= 11) {
        return kDrivers[fileSubtype - 1];
    }
    if (fileType == 4 && fileSubtype >= 1 && fileSubtype <= 3) {
        return kFonts[fileSubtype - 1];
    }
    if (fileType == 5) {
        return std::to_string(fileSubtype);
    }
    return "Unknown";
}

std::string TranslationKey(const std::array<std::uint8_t, 4>& bytes) {
    const std::string key = PadLeftZeros(Hex(bytes[1])) + PadLeftZeros(Hex(bytes[0])) + PadLeftZeros(Hex(bytes[3])) +
                            PadLeftZeros(Hex(bytes[2]));
    return key == "00000000" ? kDefaultTranslationKey : key;
}

void VersionInfo::SetFileName(const std::string& fileName) {
    m_fileName = fileName;
    LoadVersionInfo();
}

void VersionInfo::SetModuleName(const std::string& moduleName) {
    m_moduleName = moduleName;
    LoadVersionInfo();
}

std::uint32_t VersionInfo::Language() const {
    return HexDigits(m_translationKey, 0);
}

std::uint32_t VersionInfo::CodePage() const {
    return HexDigits(m_translationKey, 4);
}

void VersionInfo::Fail(VersionError error) {
    m_error.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(error));
    m_error.source = "VersionInfo";
    m_error.description = ErrorMessage(error);
}

// Each step that fails is recorded and leaves what it would have filled as it was; later
// steps then find nothing to work on and change nothing either.
void VersionInfo::LoadVersionInfo() {
    if (!m_moduleName.empty()) {
        const std::uintptr_t module = m_api.ModuleHandle(m_moduleName);
        if (module == 0) {
            Fail(VersionError::ModuleHandle);
        }
        // With a handle of 0 the platform names the program's own executable.
        const std::string path = m_api.ModuleFileName(module);
        if (path.empty()) {
            Fail(VersionError::ModulePath);
        } else {
            m_fileName = path;
        }
    }
    if (m_fileName.empty()) {
        Fail(VersionError::EmptyFileName);
        return;
    }
    const std::uint32_t size = m_api.VersionInfoSize(m_fileName);
    if (size == 0) {
        Fail(VersionError::ResourceSize);
        return;
    }
    auto data = m_api.VersionInfo(m_fileName, size);
    if (!data) {
        Fail(VersionError::ResourceData);
        return;
    }
    m_data = std::move(*data);

    const auto translation = m_api.QueryValue(m_data, "\\VarFileInfo\\Translation");
    if (translation && translation->size() >= 4) {
        m_translationKey = TranslationKey({(*translation)[0], (*translation)[1], (*translation)[2], (*translation)[3]});
    } else {
        // Without a readable translation the strings are still looked for where almost
        // every resource keeps them.
        m_translationKey = kDefaultTranslationKey;
        Fail(VersionError::Translation);
    }

    const auto fixed = m_api.QueryValue(m_data, "\\");
    if (fixed && fixed->size() >= sizeof(FixedFileInfo)) {
        std::memcpy(&m_fixed, fixed->data(), sizeof(FixedFileInfo));
    } else {
        Fail(VersionError::FixedInfo);
    }
}

std::string VersionInfo::QueryStringValue(const std::string& key) const {
    if (m_data.empty() || m_translationKey.empty()) {
        return {};
    }
    const auto value = m_api.QueryValue(m_data, "\\StringFileInfo\\" + m_translationKey + "\\" + key);
    if (!value) {
        return {};
    }
    return StripNull(std::string(value->begin(), value->end()));
}

std::string GetVersionText(VersionApi& api, const std::string& target, bool isFile, ErrorRecord* error) {
    VersionInfo info(api);
    if (isFile) {
        info.SetFileName(target);
    } else {
        info.SetModuleName(target);
    }
    if (error != nullptr) {
        *error = info.Error();
    }
    return info.FileVersion();
}

std::string VersionErrorMessage(const ErrorRecord& error) {
    return "Error: " + error.description + " (" + std::to_string(error.number) + ")";
}

}  // namespace sayvane
