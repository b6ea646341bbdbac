// The real Sayvane.exe under Wine: it starts in a fresh folder, shows its first window,
// carries its version, and ends cleanly when its window closes.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "harness/SayvaneRun.h"

namespace sayvane::e2e {
namespace {

TEST(Startup, ShowsTheSplashFirstAndEndsWhenItsLastWindowCloses) {
    SayvaneRun run;
    ASSERT_TRUE(run.Start());

    HWND splash = run.WaitForWindow("SayvaneSplash");
    ASSERT_NE(splash, nullptr) << "no splash window within the timeout";

    // The information text with "Loading ..." added below an empty line.
    HWND info = FindWindowExA(splash, nullptr, "STATIC", nullptr);
    std::string texts;
    for (; info != nullptr; info = FindWindowExA(splash, info, "STATIC", nullptr)) {
        char buffer[512] = {};
        GetWindowTextA(info, buffer, sizeof buffer);
        texts += buffer;
    }
    EXPECT_NE(texts.find("Channel Speakers\r\n\nUse SHIFT+F12"), std::string::npos) << texts;
    EXPECT_NE(texts.find("Radar Window\r\n\nLoading ..."), std::string::npos) << texts;

    PostMessageA(splash, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(std::filesystem::exists(run.SettingsFile())) << "nothing may write the settings file";
}

TEST(Startup, CarriesItsFileVersion) {
    SayvaneRun run;
    const std::string exe = run.ExePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "1.00.0009");

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000009u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
}  // namespace sayvane::e2e
