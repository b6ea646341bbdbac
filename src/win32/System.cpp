// Facts about the running system that several windows need.
#include "win32/System.h"

#include <cmath>

#include "win32/Handles.h"

namespace sayvane::win32 {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string ProgramFolder() {
    std::string folder = ProgramPath();
    const auto slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':') {
        folder += '\\';
    }
    return folder;
}

NumberFormat UserNumberFormat() {
    char separator[8] = {};
    NumberFormat format;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1) {
        format.decimalSeparator = separator[0];
    }
    return format;
}

namespace {

// The per-monitor DPI functions arrived with Windows 8.1 and 10; looked up once, so the
// program still starts on systems without them. A library not yet loaded is taken from the
// system folder only, never from beside the program or the current folder.
template <typename Function>
Function Lookup(const char* module, const char* name) {
    HMODULE library = GetModuleHandleA(module);
    if (library == nullptr) {
        library = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return library == nullptr ? nullptr
                              : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

UINT Plausible(UINT dpi) {
    return dpi >= 24 && dpi <= 2400 ? dpi : SystemDpi();
}

}  // namespace

UINT SystemDpi() {
    ScopedGetDC dc(nullptr);
    const int dpi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT MonitorDpi(HMONITOR monitor) {
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (monitor != nullptr && getDpiForMonitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY))) {
        return Plausible(dpiY);
    }
    return SystemDpi();
}

UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (window != nullptr && getDpiForWindow != nullptr) {
        return Plausible(getDpiForWindow(window));
    }
    return SystemDpi();
}

HMONITOR PrimaryMonitor() {
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

ScreenMetrics PrimaryScreen(UINT dpi) {
    ScreenMetrics screen;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 1, &work, 0);
    screen.workArea = PixelRect{work.left, work.top, work.right, work.bottom};
    screen.widthPixels = GetSystemMetrics(SM_CXSCREEN);
    screen.heightPixels = GetSystemMetrics(SM_CYSCREEN);
    screen.twipsPerPixelX = 1440.0 / Plausible(dpi);
    screen.twipsPerPixelY = screen.twipsPerPixelX;
    return screen;
}

int FontHeight(double points, UINT dpi) {
    return -MulDiv(static_cast<int>(std::lround(points * 100)), static_cast<int>(Plausible(dpi)), 7200);
}

void MoveToSuggested(HWND window, const RECT* suggested) {
    if (suggested != nullptr) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int MetricForDpi(int index, UINT dpi) {
    static const auto forDpi = Lookup<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi");
    if (forDpi != nullptr) {
        return forDpi(index, Plausible(dpi));
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(Plausible(dpi)), static_cast<int>(SystemDpi()));
}

}  // namespace sayvane::win32
