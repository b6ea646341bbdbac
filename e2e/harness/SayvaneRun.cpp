// End-to-end harness: the real Sayvane.exe in a fresh folder, watched through its windows.
#include "harness/SayvaneRun.h"

#include <algorithm>
#include <stdexcept>

namespace sayvane::e2e {

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

HWND FindChildWithCaption(HWND parent, const std::string& caption) {
    for (HWND child : Windows(parent)) {
        char buffer[1024] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (caption == buffer) {
            return child;
        }
    }
    return nullptr;
}

std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::vector<std::uint32_t> pixels = BitmapPixels(bitmap, width, height);
    DeleteObject(bitmap);
    for (std::uint32_t& p : pixels) {
        p &= 0xFFFFFF;
    }
    return pixels;
}

bool ShowsColour(HWND window, COLORREF colour) {
    const std::vector<std::uint32_t> pixels = ScreenPixels(WindowRect(window));
    // Screen pixels are 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
    const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return std::find(pixels.begin(), pixels.end(), wanted) != pixels.end();
}

bool VisibleIn(HWND window, COLORREF colour) {
    return IsWindowVisible(window) && ShowsColour(window, colour);
}

bool ChooseFromTrayMenu(DWORD processId, HWND overlay, std::initializer_list<WPARAM> keys) {
    PostMessageA(overlay, 1400, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindProcessWindow(processId, "#32768")) != nullptr; })) {
        return false;
    }
    // The menu's own loop reads these from its thread's queue, as it would the keyboard.
    for (WPARAM key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    return true;
}

DiagnosticPanel::DiagnosticPanel(HWND overlay) {
    WaitUntil([&] { return (m_frame = FindWindowExA(overlay, nullptr, "STATIC", "frameDebug")) != nullptr; });
}

std::string DiagnosticPanel::Status() const {
    char text[64] = {};
    GetWindowTextA(GetDlgItem(m_frame, 1), text, sizeof text);
    return text;
}

std::vector<std::string> DiagnosticPanel::List(const char* name) const {
    std::vector<std::string> items;
    HWND list = FindWindowExA(m_frame, nullptr, "LISTBOX", name);
    const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Read as Unicode: Wine's list box does not convert this message to ANSI across processes.
        wchar_t text[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        char narrow[512] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        items.emplace_back(narrow);
    }
    return items;
}

SayvaneRun::SayvaneRun(const std::optional<std::string>& settingsText) {
    const std::string source = FolderOfThisProgram() + "\\Sayvane.exe";
    if (!CopyFileA(source.c_str(), ExePath().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + source);
    }
    const std::string library = FolderOfThisProgram() + "\\TSRemote.dll";
    CopyFileA(library.c_str(), File("TSRemote.dll").c_str(), FALSE);
    if (settingsText) {
        testing::WriteBytes(SettingsFile(), *settingsText);
    }
}

HWND SayvaneRun::WaitForOverlay(int timeoutMs) const {
    HWND found = nullptr;
    const bool layered = WaitUntil(
        [&] {
            found = FindProcessWindow(ProcessId(), "SayvaneOverlay", nullptr, false);
            return found != nullptr && (GetWindowLongA(found, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        },
        timeoutMs);
    return layered ? found : nullptr;
}

std::optional<DWORD> SayvaneRun::ExitFromTray(HWND overlay) const {
    // Up from nothing selected lands on the last item.
    if (!ChooseFromTrayMenu(ProcessId(), overlay, {VK_UP, VK_RETURN})) {
        return std::nullopt;
    }
    return WaitForExit();
}

}  // namespace sayvane::e2e
