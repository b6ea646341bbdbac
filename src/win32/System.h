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
// The primary screen: work area, size and twips per pixel.
ScreenMetrics PrimaryScreen();
// The font height in logical units for a size in points on the screen.
int FontHeight(double points);

}  // namespace sayvane::win32
