#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both trees with warnings as errors,
# runs the native tests, then the code gate (scripts/lint.sh: clang-format, clang-tidy,
# cppcheck), then the Windows tests (the same portable tests, the Win32 side of the seam and the
# real Sayvane.exe end to end) under Wine, then a short fuzzing run of every fuzz target
# (scripts/fuzz.sh, 10 s each) when clang is there. Ends with one summary line.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1

logs=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-test.XXXXXX")
trap 'rm -rf "$logs"' EXIT
status=0

run_tree() {  # name, then the command that runs its ctest
    local name=$1
    shift
    echo "== $name: configure and build"
    if ! cmake --preset "$name" -DSAYVANE_WERROR=ON >"$logs/$name-configure.log" 2>&1; then
        cat "$logs/$name-configure.log"
        return 1
    fi
    if ! cmake --build --preset "$name" >"$logs/$name-build.log" 2>&1; then
        grep -E -A3 'error|Error' "$logs/$name-build.log" | head -n 60
        return 1
    fi
    echo "== $name: tests"
    "$@" 2>&1 | tee "$logs/$name-ctest.log" | grep -E -v '^\s+Start |Passed +[0-9.]+ sec$'
    return "${PIPESTATUS[0]}"
}

run_tree native ctest --preset native || status=1

# After the native tree: clang-tidy reads the compile commands its configure step wrote.
echo "== lint: clang-format, clang-tidy, cppcheck"
bash scripts/lint.sh 2>&1 | tee "$logs/lint.log" || status=1

run_tree win32 scripts/with-wine.sh ctest --preset win32 || status=1

if command -v clang++ >/dev/null; then
    echo "== fuzz: build and a short run of every target"
    bash scripts/fuzz.sh "${SAYVANE_FUZZ_SECONDS:-10}" 2>&1 | tee "$logs/fuzz.log" || status=1
else
    echo "== fuzz: skipped, clang++ is not installed"
fi

# One closing line over both trees, from ctest's own summaries, and the lint and fuzz runs'.
passed=0
failed=0
for log in "$logs"/*-ctest.log; do
    [ -f "$log" ] || continue
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    [ -n "$line" ] || continue
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    failed=$((failed + f))
    passed=$((passed + t - f))
done
for name in lint fuzz; do  # each ends with "<name>: N passed, M failed"; a run without it failed
    [ -f "$logs/$name.log" ] || continue
    line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed\$" "$logs/$name.log" | tail -n1)
    if [ -n "$line" ]; then
        passed=$((passed + $(sed -E 's/^[a-z]+: ([0-9]+) passed.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
    else
        failed=$((failed + 1))
    fi
done
if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
    status=1
fi
echo
echo "total: $passed passed, $failed failed"
exit $status
