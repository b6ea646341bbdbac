// The Windows package under Wine: the installer installs for the current user without
// administrator rights, the installed program starts, and the uninstaller removes it while
// keeping the user's settings unless told otherwise.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "harness/PeerProcess.h"

namespace sayvane::e2e {
namespace {

std::filesystem::path KnownFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

TEST(Installer, InstallsPerUserStartsAndUninstallsKeepingTheSettings) {
    // The Wine session says whether this host can start 32-bit programs at all; NSIS installers
    // are 32-bit, so where it cannot, the package is only checked without being run.
    if (const char* runs32 = std::getenv("SAYVANE_HOST_RUNS_32BIT"); runs32 != nullptr && std::string(runs32) == "no") {
        GTEST_SKIP() << "this host cannot run 32-bit programs, and the NSIS installer is one; the package's "
                        "contents are checked without running it";
    }
    const std::string setup = FolderOfThisProgram() + "\\..\\package\\Sayvane-1.00.0009-setup.exe";
    ASSERT_TRUE(std::filesystem::exists(setup)) << setup;
    const std::filesystem::path folder = KnownFolder(CSIDL_LOCAL_APPDATA) / "Programs" / "Sayvane";
    const std::filesystem::path shortcut = KnownFolder(CSIDL_PROGRAMS) / "Sayvane" / "Sayvane.lnk";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);

    ASSERT_EQ(PeerProcess(setup, {"/S"}).WaitForExit(60000), std::optional<DWORD>(0));
    EXPECT_TRUE(std::filesystem::exists(folder / "Sayvane.exe"));
    EXPECT_TRUE(std::filesystem::exists(folder / "README.txt"));
    EXPECT_TRUE(std::filesystem::exists(shortcut)) << "a Start-menu entry";

    // The installed program starts: first run, so its configuration window opens.
    {
        PeerProcess installed((folder / "Sayvane.exe").string(), {}, folder.string());
        HWND config = installed.WaitForWindow("#32770", "Sayvane");
        EXPECT_NE(config, nullptr);
        PostMessageA(config, WM_CLOSE, 0, 0);
        EXPECT_EQ(installed.WaitForExit(), std::optional<DWORD>(0));
    }

    // The settings live next to the program, where the user may write.
    testing::WriteBytes((folder / "Sayvane.INI").string(), "[Setup]\r\nAutoStart=0\r\n");
    ASSERT_TRUE(std::filesystem::exists(folder / "Sayvane.INI"));

    // A silent uninstall (run in place, so that it can be waited for) keeps them.
    ASSERT_EQ(PeerProcess((folder / "Uninstall.exe").string(), {"/S", "_?=" + folder.string()}).WaitForExit(60000),
              std::optional<DWORD>(0));
    EXPECT_FALSE(std::filesystem::exists(folder / "Sayvane.exe"));
    EXPECT_FALSE(std::filesystem::exists(shortcut));
    EXPECT_TRUE(std::filesystem::exists(folder / "Sayvane.INI")) << "the settings are the user's";
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace sayvane::e2e
