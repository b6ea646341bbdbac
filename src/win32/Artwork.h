// Sayvane's own pictures, drawn at run time: the program and tray icons and the about
// window's picture. Nothing is loaded from files.
#pragma once

#include <windows.h>

namespace sayvane::win32 {

enum class IconLook { Enabled, Disabled };

// A square icon of `size` pixels: a speech balloon over a radar sweep, green when
// TeamSpeak can be read, grey with a red bar when it cannot. The caller owns it.
HICON MakeSayvaneIcon(int size, IconLook look);

// The about window's picture: a radar scope with a few blips and a speech balloon.
HBITMAP MakeAboutPicture(int width, int height);

}  // namespace sayvane::win32
