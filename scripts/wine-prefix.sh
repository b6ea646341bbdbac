#!/usr/bin/env bash
# Makes the Wine template prefix that tests and the demo copy: 32-bit, window manager off
# (without Managed=N every DestroyWindow of a visible window takes two seconds under a bare
# Xvfb), and Wine's Tahoma fonts in place so the overlay gets the face it asks for.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh DIR}
stamp="$prefix/.sayvane-ready"
[ -f "$stamp" ] && exit 0

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# wineboot needs no display; keep it from trying one anyway.
unset DISPLAY
echo "setup: creating Wine prefix $prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in tahoma.ttf tahomabd.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp "/usr/share/wine/fonts/$f" "$fonts/"
done
wineserver -w
touch "$stamp"
