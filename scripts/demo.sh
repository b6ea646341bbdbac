#!/usr/bin/env bash
# Sayvane's main job, shown: builds the Windows program and runs it under Wine, on your
# display when you have one, otherwise on a private Xvfb; screenshots go to demo-output/.
# It runs the 32-bit program where this host can run 32-bit programs and the 64-bit build of
# the same sources where it cannot (scripts/windows-arch.sh; SAYVANE_WINDOWS_ARCH overrides).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
step="setting up"
trap 'echo "demo: $step failed (exit $?); see the lines above" >&2' ERR

step="setting up (scripts/setup.sh: packages and Wine prefixes)"
bash scripts/setup.sh

source scripts/windows-arch.sh
step="choosing the Windows architecture"
windows_arch_decide
arch=${SAYVANE_WINDOWS_ARCHES%% *}
echo "demo: $SAYVANE_WINDOWS_REASON"
[ "$SAYVANE_WINDOWS_ARCHES" = "$arch" ] || echo "demo: shown with the $arch-bit build"

log=$(mktemp "${TMPDIR:-/tmp}/sayvane-demo-build.XXXXXX")
step="configuring the win$arch tree"
cmake --preset "win$arch" >"$log" 2>&1 || { tail -n 30 "$log" >&2; false; }
step="building the demo (win$arch)"
cmake --build --preset "win$arch" --target sayvane_demo >"$log" 2>&1 ||
    { grep -E -A3 'error|Error' "$log" | head -n 40 >&2; false; }
rm -f "$log"

out="$root/demo-output"
mkdir -p "$out"
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    export SAYVANE_DISPLAY=user
fi
export SAYVANE_DEMO_OUT="$out" SAYVANE_WINE_ARCH="$arch"
step="running the demo under Wine"
scripts/with-wine.sh bash scripts/demo-session.sh "$root/build/win$arch/bin"
