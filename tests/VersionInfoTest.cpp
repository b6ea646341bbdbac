// The version-information reader over a simulated version API.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "about/VersionInfo.h"

namespace sayvane {
namespace {

// A file system of version resources: each file's values by sub-block.
class FakeVersionApi final : public VersionApi {
public:
    std::map<std::string, std::map<std::string, std::vector<std::uint8_t>>> files;
    std::map<std::string, std::uintptr_t> modules;  // name -> handle
    std::map<std::uintptr_t, std::string> modulePaths;

    std::uintptr_t ModuleHandle(const std::string& name) override {
        const auto it = modules.find(name);
        return it == modules.end() ? 0 : it->second;
    }
    std::string ModuleFileName(std::uintptr_t module) override {
        const auto it = modulePaths.find(module);
        return it == modulePaths.end() ? std::string() : it->second;
    }
    std::uint32_t VersionInfoSize(const std::string& file) override { return files.count(file) ? 100 : 0; }
    std::optional<std::vector<std::uint8_t>> VersionInfo(const std::string& file, std::uint32_t) override {
        if (!files.count(file)) {
            return std::nullopt;
        }
        return std::vector<std::uint8_t>(file.begin(), file.end());  // the block names its file
    }
    std::optional<std::vector<std::uint8_t>> QueryValue(const std::vector<std::uint8_t>& block,
                                                        const std::string& subBlock) override {
        const auto& values = files.at(std::string(block.begin(), block.end()));
        const auto it = values.find(subBlock);
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    static std::vector<std::uint8_t> Text(const std::string& text) {
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        return bytes;
    }
    static std::vector<std::uint8_t> Fixed(const FixedFileInfo& info) {
        std::vector<std::uint8_t> bytes(sizeof info);
        std::memcpy(bytes.data(), &info, sizeof info);
        return bytes;
    }
};

TEST(VersionTables, FlagsOsTypeAndSubtypeReadAsText) {
    EXPECT_EQ(FileFlagsText(0x03), "Debug Pre-release ");
    EXPECT_EQ(FileFlagsText(0x3F), "Debug Patched Pre-release Private Special ");
    EXPECT_EQ(FileFlagsText(0x10), "");
    EXPECT_EQ(FileOSText(0x10001), "Win16 API on DOS");
    EXPECT_EQ(FileOSText(0x50002), "PM16 API");
    EXPECT_EQ(FileOSText(0x30007), "Unknown API on OS2/32");
    const std::pair<std::uint32_t, const char*> types[] = {
        {0, "Unknown"}, {1, "Application"},         {2, "DLL"}, {3, "Driver"}, {4, "Font"}, {5, "VXD"},
        {6, ""},        {7, "Static-link library"}, {8, ""}};
    for (const auto& [type, text] : types) {
        EXPECT_EQ(FileTypeText(type), text) << type;
    }
    EXPECT_EQ(FileSubTypeText(3, 2), "Keyboard");
    EXPECT_EQ(FileSubTypeText(3, 11), "Input Method");
    EXPECT_EQ(FileSubTypeText(3, 12), "Unknown");
    EXPECT_EQ(FileSubTypeText(3, 0), "Unknown");
    EXPECT_EQ(FileSubTypeText(4, 3), "TrueType");
    EXPECT_EQ(FileSubTypeText(4, 4), "Unknown");
    EXPECT_EQ(FileSubTypeText(5, 12), "12");
    EXPECT_EQ(FileSubTypeText(1, 1), "Unknown");
}

class VersionInfoTest : public ::testing::Test {
protected:
    void GivenFile(const std::string& file, std::array<std::uint8_t, 4> translation, const std::string& key) {
        FixedFileInfo fixed;
        fixed.signature = 0xFEEF04BD;
        fixed.fileFlagsMask = 0x3F;
        fixed.fileFlags = 0x09;
        fixed.fileOS = 0x40004;
        fixed.fileType = 1;
        m_api.files[file] = {
            {"\\VarFileInfo\\Translation", {translation.begin(), translation.end()}},
            {"\\", FakeVersionApi::Fixed(fixed)},
            {"\\StringFileInfo\\" + key + "\\FileVersion", FakeVersionApi::Text("1.00.0009")},
            {"\\StringFileInfo\\" + key + "\\OriginalFileName", FakeVersionApi::Text("Sayvane.exe")},
        };
    }
    FakeVersionApi m_api;
};

TEST_F(VersionInfoTest, AFileWithAVersionResource) {
    GivenFile("C:\\app\\Sayvane.exe", {0x10, 0x04, 0xB0, 0x04}, "041004B0");
    VersionInfo info(m_api);
    info.SetFileName("C:\\app\\Sayvane.exe");
    EXPECT_EQ(info.FileVersion(), "1.00.0009");
    EXPECT_EQ(info.OriginalFileName(), "Sayvane.exe");
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_EQ(info.Language(), 1040u);
    EXPECT_EQ(info.CodePage(), 1200u);
    EXPECT_EQ(info.FileFlagsRaw(), 0x09u);
    EXPECT_EQ(info.FileFlags(), "Debug Private ");
    EXPECT_EQ(info.FileOS(), "Win32 API on Windows NT");
    EXPECT_EQ(info.FileType(), "Application");
    EXPECT_EQ(info.FileSubType(), "Unknown");
    EXPECT_FALSE(info.Error().Failed());
}

TEST_F(VersionInfoTest, NothingLoadedGivesEmptyValuesAndTheFailure) {
    VersionInfo fresh(m_api);
    EXPECT_EQ(fresh.Language(), 0u);
    EXPECT_EQ(fresh.FileType(), "Unknown");
    EXPECT_EQ(fresh.FileOS(), "Unknown API");

    VersionInfo info(m_api);
    info.SetFileName("no-resource.dll");
    EXPECT_EQ(info.FileVersion(), "");
    EXPECT_EQ(info.Error().number, -2127660984);
    EXPECT_EQ(info.Error().source, "VersionInfo");

    ErrorRecord error;
    EXPECT_EQ(GetVersionText(m_api, "", true, &error), "");
    EXPECT_EQ(VersionErrorMessage(error),
              "Error: Either you haven't specified a valid file name, or the module you specified can't be associated "
              "with a file. (-2127660985)");
}

TEST_F(VersionInfoTest, AModuleNameNamesTheFileAndTakesPrecedence) {
    GivenFile("C:\\Windows\\x.dll", {0x09, 0x04, 0xE4, 0x04}, "040904E4");
    m_api.modules["x.dll"] = 0x1000;
    m_api.modulePaths[0x1000] = "C:\\Windows\\x.dll";
    m_api.modulePaths[0] = "C:\\own.exe";  // a handle of 0 names the program itself
    VersionInfo info(m_api);
    info.SetModuleName("x.dll");
    EXPECT_EQ(info.FileName(), "C:\\Windows\\x.dll");
    info.SetFileName("elsewhere.exe");
    EXPECT_EQ(info.FileName(), "C:\\Windows\\x.dll");
    EXPECT_EQ(GetVersionText(m_api, "x.dll", false), "1.00.0009");

    ErrorRecord error;
    EXPECT_EQ(GetVersionText(m_api, "missing.dll", false, &error), "");
    EXPECT_EQ(error.number, -2127660984) << "the handle failed, then the program's own file had no resource";
}

}  // namespace
}  // namespace sayvane
