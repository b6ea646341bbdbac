#!/usr/bin/env bash
# The demo itself, run inside a Wine session (scripts/demo.sh sets it up): Sayvane starts
# in a fresh folder, as a user would start it after unpacking it.
set -euo pipefail
exe=$1
out=${SAYVANE_DEMO_OUT:?}

folder=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-demo.XXXXXX")
trap 'rm -rf "$folder"' EXIT
cp "$exe" "$folder/Sayvane.exe"

wait_for_window() {  # caption; prints the X window id
    for _ in $(seq 1 400); do
        local id
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.025
    done
    return 1
}

echo "demo: starting Sayvane.exe from $folder"
wine "$folder/Sayvane.exe" &
sayvane=$!

splash=$(wait_for_window Sayvane) || { echo "demo: Sayvane showed no window" >&2; exit 1; }
import -window root "$out/01-splash.png"
echo "demo: the about window opened as the splash, with \"Loading ...\" under its text -> demo-output/01-splash.png"

if [ "${SAYVANE_DISPLAY:-}" = user ]; then
    echo "demo: Sayvane is running on your display; click its window to close it."
else
    eval "$(xdotool getwindowgeometry --shell "$splash")"
    xdotool mousemove $((X + 20)) $((Y + 20)) click 1
    echo "demo: clicked the window, as a user closes it"
fi
wait "$sayvane"
echo "demo: Sayvane ended with exit code $? when its last window closed"
