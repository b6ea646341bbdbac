#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the trees with warnings as errors, runs
# the native tests (also with AddressSanitizer and UBSan), then the code gate (scripts/lint.sh: clang-format, clang-tidy, cppcheck),
# then the Windows part: the shipped 32-bit files checked without being run
# (scripts/check-artefacts.py), and the Windows tests (the same portable tests, the Win32
# side of the seam and the real Sayvane.exe end to end) under Wine, on the 32-bit build where
# this host runs 32-bit programs and on the 64-bit build where it does not
# (scripts/windows-arch.sh decides; SAYVANE_WINDOWS_ARCH=32|64|both overrides); then a short
# fuzzing run of every fuzz target (scripts/fuzz.sh, 10 s each) when clang is there. Ends with
# one summary line: total: N passed, M failed, K skipped.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! bash scripts/setup.sh; then
    echo "test: scripts/setup.sh failed (see above): nothing was built or tested" >&2
    echo "total: 0 passed, 1 failed"
    exit 1
fi

logs=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-test.XXXXXX")
trap 'rm -rf "$logs"' EXIT
status=0

build_tree() {  # preset, then the targets to build (all when none)
    local name=$1
    shift
    echo "== $name: configure and build"
    if ! cmake --preset "$name" -DSAYVANE_WERROR=ON >"$logs/$name-configure.log" 2>&1; then
        echo "test: configuring the $name tree failed:" >&2
        tail -n 30 "$logs/$name-configure.log" >&2
        return 1
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    if ! cmake --build --preset "$name" "${targets[@]}" >"$logs/$name-build.log" 2>&1; then
        echo "test: building the $name tree failed; its first errors:" >&2
        grep -E -A3 'error|Error' "$logs/$name-build.log" | head -n 60 >&2
        return 1
    fi
}

test_tree() {  # preset, then the command that runs its ctest
    local name=$1
    shift
    echo "== $name: tests"
    "$@" 2>&1 | tee "$logs/$name-ctest.log" | grep -E -v '^\s+Start |Passed +[0-9.]+ sec$'
    local result=${PIPESTATUS[0]}
    # A skipped test says why in its own output, which ctest keeps to itself.
    local last="build/$name/Testing/Temporary/LastTest.log"
    [ -f "$last" ] && awk '/: Skipped$/ { getline why; print "skipped: " why }' "$last"
    return "$result"
}

build_tree native && test_tree native ctest --preset native || status=1
# The same tests with AddressSanitizer and UBSan: a read past a vector's end, say, passes in
# the plain build by luck and corrupts the heap one run in many.
build_tree native-asan sayvane_tests &&
    test_tree native-asan ctest --preset native-asan -E bench_smoke || status=1

# After the native tree: clang-tidy reads the compile commands its configure step wrote.
echo "== lint: clang-format, clang-tidy, cppcheck"
bash scripts/lint.sh 2>&1 | tee "$logs/lint.log" || status=1

source scripts/windows-arch.sh
if windows_arch_decide; then
    echo "== windows: $SAYVANE_WINDOWS_REASON"
    # The program we ship is 32-bit: it is built and its files are checked on every host, run
    # only where the host can (then with everything else of the tree).
    win32_targets=(sayvane_package sayvane_peers)
    [[ " $SAYVANE_WINDOWS_ARCHES " == *" 32 "* ]] && win32_targets=()
    if build_tree win32 "${win32_targets[@]}"; then
        echo "== artefacts: the shipped 32-bit files, checked without running them"
        /usr/bin/python3 scripts/check-artefacts.py build/win32 --self-test 2>&1 | tee "$logs/artefacts.log" || status=1
    else
        status=1
    fi
    for arch in $SAYVANE_WINDOWS_ARCHES; do
        if [ "$arch" = 32 ] || build_tree win64; then
            test_tree "win$arch" env SAYVANE_WINE_ARCH="$arch" scripts/with-wine.sh ctest --preset "win$arch" || status=1
        else
            status=1
        fi
    done
else
    status=1
fi

if command -v clang++ >/dev/null; then
    echo "== fuzz: build and a short run of every target"
    bash scripts/fuzz.sh "${SAYVANE_FUZZ_SECONDS:-10}" 2>&1 | tee "$logs/fuzz.log" || status=1
else
    echo "== fuzz: skipped, clang++ is not installed"
fi

# How much of the code is test code (the rule: at most a third); said, not enforced here.
bash scripts/code-size.sh --line

# One closing line over every tree, from ctest's own summaries (which count a skipped test
# among the passed ones: it is taken out again), and the lint, artefact and fuzz runs'.
passed=0
failed=0
skipped=0
for log in "$logs"/*-ctest.log; do
    [ -f "$log" ] || continue
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    if [ -z "$line" ]; then  # a tree whose tests never ran to the end
        failed=$((failed + 1))
        continue
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    s=$(grep -c -E '^\s*[0-9]+ - .* \(Skipped\)$' "$log")
    failed=$((failed + f))
    skipped=$((skipped + s))
    passed=$((passed + t - f - s))
done
for name in lint artefacts fuzz; do  # each ends with "<name>: N passed, M failed"; a run without it failed
    [ -f "$logs/$name.log" ] || continue
    line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed\$" "$logs/$name.log" | tail -n1)
    if [ -n "$line" ]; then
        passed=$((passed + $(sed -E 's/^[a-z]+: ([0-9]+) passed.*/\1/' <<<"$line")))
        failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
    else
        failed=$((failed + 1))
    fi
done
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then  # a step that failed before it could count
    failed=1
fi
if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
    status=1
fi
echo
if [ "$skipped" -gt 0 ]; then
    echo "total: $passed passed, $failed failed, $skipped skipped"
else
    echo "total: $passed passed, $failed failed"
fi
exit $status
