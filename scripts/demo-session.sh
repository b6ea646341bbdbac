#!/usr/bin/env bash
# The demo itself, inside a Wine session (scripts/demo.sh sets it up): the demo driver runs
# the real Sayvane.exe from a fresh folder and saves screenshots; they become PNG files.
set -euo pipefail
bin=$1
out=${SAYVANE_DEMO_OUT:?}
rm -f "$out"/*.bmp "$out"/*.png
"$WINELOADER" "$bin/sayvane_demo.exe" "$("$WINELOADER" winepath.exe -w "$out")" | tr -d '\r'
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "demo: screenshots in $out: $(cd "$out" && ls *.png 2>/dev/null | tr '\n' ' ')"
