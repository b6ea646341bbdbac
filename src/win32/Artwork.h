// Sayvane's own pictures, drawn at run time: the program and tray icons and the about
// window's picture. Nothing is loaded from files.
#pragma once

#include <windows.h>

#include "art/IconArt.h"

namespace sayvane::win32 {

using art::IconLook;

// A square icon of `size` pixels (see DrawSayvaneIcon), with its smooth edges see-through.
// The caller owns it.
HICON MakeSayvaneIcon(int size, IconLook look);

// The about window's picture: a radar scope with a few blips and a speech balloon.
HBITMAP MakeAboutPicture(int width, int height);

}  // namespace sayvane::win32
