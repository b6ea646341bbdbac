// Facts about the running system that several windows need.
#include "win32/System.h"

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

ScreenMetrics PrimaryScreen() {
    ScreenMetrics screen;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 1, &work, 0);
    screen.workArea = PixelRect{work.left, work.top, work.right, work.bottom};
    screen.widthPixels = GetSystemMetrics(SM_CXSCREEN);
    screen.heightPixels = GetSystemMetrics(SM_CYSCREEN);
    ScopedGetDC dc(nullptr);
    const int dpiX = GetDeviceCaps(dc.Get(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(dc.Get(), LOGPIXELSY);
    screen.twipsPerPixelX = 1440.0 / (dpiX > 0 ? dpiX : 96);
    screen.twipsPerPixelY = 1440.0 / (dpiY > 0 ? dpiY : 96);
    return screen;
}

int FontHeight(double points) {
    ScopedGetDC dc(nullptr);
    return -MulDiv(static_cast<int>(points * 100 + 0.5), GetDeviceCaps(dc.Get(), LOGPIXELSY), 7200);
}

}  // namespace sayvane::win32
