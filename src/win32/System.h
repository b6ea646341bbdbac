// Facts about the running system that several windows need.
#pragma once

#include <windows.h>

#include <string>

#include "platform/OverlayWindow.h"
#include "text/NumericText.h"

namespace sayvane::win32 {

// The folder of the executable, as VB's App.Path gives it: no trailing "\" except at a
// drive root ("C:\").
std::string ProgramFolder();
// The executable's full path.
std::string ProgramPath();
// The user's number format (its decimal separator).
NumberFormat UserNumberFormat();
// Dots per inch. Windows that know the DPI of each monitor (Windows 10 and later) get the
// monitor's own; older systems have one DPI for every screen, which these return instead.
inline constexpr UINT kDefaultDpi = 96;
UINT SystemDpi();
UINT MonitorDpi(HMONITOR monitor);
UINT WindowDpi(HWND window);
HMONITOR PrimaryMonitor();

// The primary screen: work area and size in pixels; twips per pixel at `dpi`.
ScreenMetrics PrimaryScreen(UINT dpi);
// The font height in logical units for a size in points at `dpi`.
int FontHeight(double points, UINT dpi);
// Takes the place and size Windows suggests with WM_DPICHANGED (when it gives one).
void MoveToSuggested(HWND window, const RECT* suggested);
// A system metric (icon sizes and the like) at `dpi`.
int MetricForDpi(int index, UINT dpi);

}  // namespace sayvane::win32
