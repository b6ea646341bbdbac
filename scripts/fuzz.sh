#!/usr/bin/env bash
# Builds the fuzz tree (clang, libFuzzer, AddressSanitizer, UBSan) and runs every fuzz target
# for SECONDS (default 30) on a copy of its seed corpus in fuzz/corpus/<target>/, two targets at
# a time. Prints one line per target with its executions and result, then
# "fuzz: N passed, M failed". Crash inputs are kept in build/fuzz/findings/<target>/.
#   scripts/fuzz.sh          # 30 s per target
#   scripts/fuzz.sh 300      # the longer run, five minutes a target
set -uo pipefail

seconds=${1:-30}
jobs=${FUZZ_JOBS:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi

logs=build/fuzz/logs
findings=build/fuzz/findings
mkdir -p "$logs"
if ! cmake --preset fuzz >"$logs/configure.log" 2>&1; then
    cat "$logs/configure.log"
    echo "fuzz: 0 passed, 1 failed"
    exit 1
fi
if ! cmake --build --preset fuzz --target sayvane_fuzzers >"$logs/build.log" 2>&1; then
    grep -E -A3 'error|Error' "$logs/build.log" | head -n 60
    echo "fuzz: 0 passed, 1 failed"
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

run_target() {  # target: fuzzes a copy of its corpus, writes its verdict line to $work/<target>.line
    local target=$1
    local corpus="$work/$target"
    mkdir -p "$corpus" "$findings/$target"
    cp -a "fuzz/corpus/$target/." "$corpus/" 2>/dev/null || true
    local log="$logs/$target.log"
    # Leaks are not looked for: the program's objects live as long as their windows anyway,
    # and the sanitizers' leak check would count libFuzzer's own.
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$target/" "$corpus" >"$log" 2>&1
    local rc=$?
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    if [ "$rc" -eq 0 ]; then
        printf '%-20s %10s executions  ok\n' "$target" "${execs:-?}" >"$work/$target.line"
    else
        local why
        why=$(grep -m1 -E 'invariant failed|ERROR: |runtime error' "$log")
        printf '%-20s %10s executions  FAILED (%s; log %s)\n' "$target" "${execs:-?}" "$why" "$log" \
            >"$work/$target.line"
    fi
}

targets=()
for source in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
done

running=0
for target in "${targets[@]}"; do
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

passed=0
failed=0
for target in "${targets[@]}"; do
    cat "$work/$target.line"
    if grep -q ' ok$' "$work/$target.line"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
