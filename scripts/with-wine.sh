#!/usr/bin/env bash
# Runs a command inside a Wine session of its own: a private Xvfb display (or the user's,
# with SAYVANE_DISPLAY=user), a fresh copy of the template prefix and a warm wineserver.
# Everything it started is ended when the command returns.
#   scripts/with-wine.sh ctest --preset win32
# SAYVANE_WINE_ARCH=32|64 picks the prefix and loader (by default the first architecture
# scripts/windows-arch.sh decides on); inside the session WINELOADER is the loader to call
# (`"$WINELOADER" winepath.exe -w …`): Debian's wine, winepath and wineboot wrappers would
# take the 32-bit one even where it cannot start.
# SAYVANE_DPI=144 runs the session at another screen DPI (Wine's LogPixels; 96 by default).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/windows-arch.sh"
arch=${SAYVANE_WINE_ARCH:-}
if [ -z "$arch" ]; then
    windows_arch_decide
    arch=${SAYVANE_WINDOWS_ARCHES%% *}
fi
case "$arch" in
    32 | 64) ;;
    *) echo "with-wine: SAYVANE_WINE_ARCH=$arch: use 32 or 64" >&2; exit 1 ;;
esac
host_runs_32bit || true  # sets SAYVANE_HOST_RUNS_32BIT for the session, whichever the architecture
if [ "$arch" = 32 ] && [ "$SAYVANE_HOST_RUNS_32BIT" = no ]; then
    echo "with-wine: this host cannot run 32-bit programs (Wine's 32-bit loader does not start); use SAYVANE_WINE_ARCH=64 and the win64 tree" >&2
    exit 1
fi
template=${SAYVANE_WINE_TEMPLATE:-$root/build/wine-template}-$arch
bash "$root/scripts/wine-prefix.sh" "$template" "$arch"

session=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-wine.XXXXXX")
xvfb_pid=""
cleanup() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then
        timeout 10 wineserver -k 2>/dev/null || true
        timeout 10 wineserver -w 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$session"
    exit $status
}
trap cleanup EXIT INT TERM

if [ "${SAYVANE_DISPLAY:-}" = user ] && [ -n "${DISPLAY:-}" ]; then
    echo "wine session: on the user's display $DISPLAY"
else
    if ! command -v Xvfb >/dev/null; then
        echo "with-wine: no display: Xvfb is not installed (scripts/setup.sh installs it)" >&2
        exit 1
    fi
    # -displayfd picks a free display number and reports it: fixed numbers collide.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$session/display" 2>"$session/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 1 200); do
        [ -s "$session/display" ] && break
        sleep 0.05
    done
    [ -s "$session/display" ] || { echo "with-wine: no display: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$session/display")"
fi

cp -a "$template" "$session/prefix"
rm -f "$session/prefix/.sayvane-ready"
export WINEPREFIX="$session/prefix" WINEARCH="win$arch" WINELOADER=$(wine_loader "$arch") WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# SAYVANE_HOST_RUNS_32BIT (yes or no) reaches the Windows programs too: the installer test,
# whose NSIS installer is a 32-bit program, skips itself where it cannot start.
export SAYVANE_WINE_SESSION=1 SAYVANE_WINE_ARCH=$arch SAYVANE_HOST_RUNS_32BIT
wineserver -p
if [ -n "${SAYVANE_DPI:-}" ]; then
    "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$SAYVANE_DPI" /f >/dev/null 2>&1
fi
# Start the session's services (explorer, the tray) before the first timed test; a loader
# that cannot start a program is said here, not as a hundred failing tests.
if ! "$WINELOADER" cmd /c exit >/dev/null 2>&1; then
    echo "with-wine: Wine ($WINELOADER) cannot start a $arch-bit program in $WINEPREFIX" >&2
    exit 1
fi

"$@"
