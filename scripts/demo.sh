#!/usr/bin/env bash
# Sayvane's main job, shown: builds the Windows program and runs it under Wine, on your
# display when you have one, otherwise on a private Xvfb; screenshots go to demo-output/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target sayvane_demo >/dev/null

out="$root/demo-output"
mkdir -p "$out"
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    export SAYVANE_DISPLAY=user
fi
export SAYVANE_DEMO_OUT="$out"
exec scripts/with-wine.sh bash scripts/demo-session.sh "$root/build/win32/bin"
