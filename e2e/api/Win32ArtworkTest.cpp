// The icons as Windows gets them: the tray's and the windows' at the sizes of 100 % to 200 %
// scaling, and the program file's own at every size it carries.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harness/SayvaneRun.h"
#include "win32/Artwork.h"

namespace sayvane::testing {
namespace {

struct IconBits {
    int width = 0;
    int height = 0;
    int opaque = 0;  // pixels with full alpha
};

IconBits Inspect(HICON icon) {
    IconBits bits;
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return bits;
    }
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    bits.width = bitmap.bmWidth;
    bits.height = bitmap.bmHeight;
    for (const std::uint32_t pixel : e2e::BitmapPixels(info.hbmColor, bitmap.bmWidth, bitmap.bmHeight)) {
        bits.opaque += pixel >> 24 == 255 ? 1 : 0;
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

TEST(Win32Artwork, TrayIconsAreMadeAtEachScalingSize) {
    for (const int size : {16, 20, 24, 32}) {
        for (const auto look : {win32::IconLook::Enabled, win32::IconLook::Disabled}) {
            HICON icon = win32::MakeSayvaneIcon(size, look);
            const IconBits bits = Inspect(icon);
            EXPECT_EQ(bits.width, size);
            EXPECT_EQ(bits.height, size);
            EXPECT_GT(bits.opaque, size * size / 3) << size << ": drawn, with its alpha";
            EXPECT_LT(bits.opaque, size * size) << size << ": round, with see-through corners";
            DestroyIcon(icon);
        }
    }
}

// The sizes in the program file's first icon group (256 is stored as 0).
std::vector<int> GroupIconSizes(HMODULE module) {
    std::vector<int> sizes;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (found == nullptr) {
        return sizes;
    }
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    const DWORD length = SizeofResource(module, found);
    const int count = length >= 6 ? data[4] | data[5] << 8 : 0;
    for (int i = 0; i < count && 6u + 14u * (i + 1) <= length; ++i) {
        const int width = data[6 + 14 * i];
        sizes.push_back(width == 0 ? 256 : width);
    }
    return sizes;
}

TEST(Win32Artwork, TheProgramFileCarriesItsIconAtEverySize) {
    const std::string exe = e2e::FolderOfThisProgram() + "\\Sayvane.exe";
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    EXPECT_EQ(GroupIconSizes(module), (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}))
        << "an image of its own for each size Windows asks for";
    for (const int size : {16, 32, 256}) {
        auto* icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        const IconBits bits = Inspect(icon);
        EXPECT_EQ(bits.width, size);
        EXPECT_GT(bits.opaque, size * size / 3) << size << ": drawn, with its alpha";
        DestroyIcon(icon);  // harmless on nullptr, which the checks above report
    }
    FreeLibrary(module);
}

}  // namespace
}  // namespace sayvane::testing
