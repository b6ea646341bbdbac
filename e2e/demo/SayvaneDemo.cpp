// The demo driver: runs the real Sayvane.exe the way a user meets it and saves screenshots
// of the moments worth seeing, with a line of account for each.
//   sayvane_demo.exe OUTPUT_FOLDER
#include <windows.h>

#include <cstdio>
#include <string>

#include "harness/SayvaneRun.h"
#include "win32/resource.h"

namespace {

using sayvane::e2e::SayvaneRun;

// Saves the whole screen as a 24-bit BMP.
bool SaveScreenshot(const std::string& file) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + stride * static_cast<DWORD>(height);
    bool written = false;
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        written = std::fwrite(&header, sizeof header, 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  std::fwrite(bits, stride, static_cast<size_t>(height), out) == static_cast<size_t>(height);
        std::fclose(out);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

void Say(const char* text) {
    std::printf("demo: %s\n", text);
    std::fflush(stdout);
}

int Fail(const char* what) {
    std::printf("demo: FAILED: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    SayvaneRun run;
    if (!run.Start()) {
        return Fail("Sayvane.exe did not start");
    }

    if (run.WaitForWindow("SayvaneAbout") == nullptr) {
        return Fail("no splash");
    }
    SaveScreenshot(out + "\\01-splash.bmp");
    Say("Sayvane starts with its about window as a splash, \"Loading ...\" under its text -> 01-splash.png");

    HWND config = run.WaitForWindow("#32770", "Sayvane");
    if (config == nullptr) {
        return Fail("no configuration window");
    }
    sayvane::e2e::WaitUntil([&] { return sayvane::e2e::FindProcessWindow(run.ProcessId(), "SayvaneAbout") == nullptr; });
    SaveScreenshot(out + "\\02-configuration.bmp");
    Say("first run: no settings file yet, so the configuration window opens with the defaults -> 02-configuration.png");

    PostMessageA(config, WM_COMMAND, IDC_CMD_ENABLE, 0);
    HWND overlay = run.WaitForWindow("SayvaneOverlay");
    if (overlay == nullptr) {
        return Fail("no overlay after Save and Enable");
    }
    Say("\"Save and Enable\" wrote Sayvane.INI next to the program and opened the overlay in the bottom-left corner");

    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);  // a right click on the tray icon
    HWND menu = nullptr;
    sayvane::e2e::WaitUntil([&] { return (menu = sayvane::e2e::FindProcessWindow(run.ProcessId(), "#32768")) != nullptr; });
    if (menu == nullptr) {
        return Fail("no tray menu");
    }
    SaveScreenshot(out + "\\03-tray-menu.bmp");
    Say("a right click on the tray icon opens the overlay's menu -> 03-tray-menu.png");

    PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    const auto code = run.WaitForExit();
    if (!code) {
        return Fail("Sayvane did not end after Exit");
    }
    std::printf("demo: \"Exit\" from the menu ended Sayvane (exit code %lu)\n", static_cast<unsigned long>(*code));
    return 0;
}
