#!/usr/bin/env bash
# Line and branch coverage of the portable program (src/ without src/win32/) by the native
# tests, measured with gcovr in a tree of its own (build/coverage, or SAYVANE_COVERAGE_DIR). Not part of the test
# command: run it before and after changing tests, to see that nothing stopped being tested.
#   scripts/coverage.sh            prints gcovr's summary; build/coverage/coverage.txt per file
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if ! command -v gcovr >/dev/null; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "coverage: gcovr is not installed (Debian: apt-get install gcovr)" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi

build=${SAYVANE_COVERAGE_DIR:-build/coverage}  # another tree for a second run at the same time
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSAYVANE_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" --target sayvane_tests -j "$(nproc)" >/dev/null
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure >"$build/ctest.log" 2>&1 ||
    { tail -n 30 "$build/ctest.log" >&2; exit 1; }
tail -n 3 "$build/ctest.log" | head -n 1
gcovr --root . --object-directory "$build" "$build" --exclude-directories '.*/CompilerId.*' --filter 'src/' --exclude 'src/win32/' \
    --txt "$build/coverage.txt" --print-summary
