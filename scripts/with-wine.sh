#!/usr/bin/env bash
# Runs a command inside a Wine session of its own: a private Xvfb display (or the user's,
# with SAYVANE_DISPLAY=user), a fresh copy of the template prefix and a warm wineserver.
# Everything it started is ended when the command returns.
#   scripts/with-wine.sh ctest --preset win32
# SAYVANE_DPI=144 runs the session at another screen DPI (Wine's LogPixels; 96 by default).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
template=${SAYVANE_WINE_TEMPLATE:-$root/build/wine-template}
bash "$root/scripts/wine-prefix.sh" "$template"

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
    # -displayfd picks a free display number and reports it: fixed numbers collide.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$session/display" 2>"$session/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 1 200); do
        [ -s "$session/display" ] && break
        sleep 0.05
    done
    [ -s "$session/display" ] || { echo "with-wine: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$session/display")"
fi

cp -a "$template" "$session/prefix"
rm -f "$session/prefix/.sayvane-ready"
export WINEPREFIX="$session/prefix" WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export SAYVANE_WINE_SESSION=1
wineserver -p
if [ -n "${SAYVANE_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$SAYVANE_DPI" /f >/dev/null 2>&1
fi
# Start the session's services (explorer, the tray) before the first timed test.
wine cmd /c exit >/dev/null 2>&1 || true

"$@"
