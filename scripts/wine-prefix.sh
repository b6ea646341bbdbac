#!/usr/bin/env bash
# Makes a Wine template prefix that tests and the demo copy, for one architecture (32: a
# win32 prefix under Wine's 32-bit loader; 64: a win64 prefix under wine64): window manager
# off (without Managed=N every DestroyWindow of a visible window takes two seconds under a
# bare Xvfb), and Wine's Tahoma fonts in place so the overlay gets the face it asks for.
#   scripts/wine-prefix.sh DIR 32|64
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh DIR 32|64}
arch=${2:?usage: wine-prefix.sh DIR 32|64}
stamp="$prefix/.sayvane-ready"
[ -f "$stamp" ] && exit 0

source "$(dirname "$0")/windows-arch.sh"
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
# Debian's wineboot and wine wrappers always pick the 32-bit loader once wine32 is installed:
# call the loader of the prefix's architecture directly.
loader=$(wine_loader "$arch")
export WINEPREFIX="$prefix" WINEARCH="win$arch" WINELOADER="$loader" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# wineboot needs no display; keep it from trying one anyway.
unset DISPLAY
echo "setup: creating the $arch-bit Wine prefix $prefix"
# On a host that refuses 32-bit programs a win64 prefix's wineboot only complains that
# syswow64\rundll32.exe is missing; a loader that cannot start at all fails the reg step.
"$loader" wineboot.exe -i >/dev/null 2>&1 || true
if ! "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; then
    echo "setup: Wine ($loader) cannot start programs in the $arch-bit prefix $prefix" >&2
    exit 1
fi
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in tahoma.ttf tahomabd.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp "/usr/share/wine/fonts/$f" "$fonts/"
done
wineserver -w
touch "$stamp"
