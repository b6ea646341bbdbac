#!/usr/bin/env bash
# The code gate: clang-format over every C++ source, clang-tidy and cppcheck over the portable
# code (src/ except src/win32, sim/ and tools/). Prints one line per check, the findings of a check that
# fails, then "lint: N passed, M failed". clang-tidy reads build/native/compile_commands.json and
# configures the native tree first when it is not there.
#   scripts/lint.sh
set -uo pipefail

jobs=${LINT_JOBS:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

logs=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-lint.XXXXXX")
trap 'rm -rf "$logs"' EXIT
passed=0
failed=0

all_sources() {
    find src sim tests e2e peers bench fuzz tools -type f \( -name '*.cpp' -o -name '*.h' \) | sort
}

portable_sources() {
    find src sim tools -type f -name '*.cpp' -not -path 'src/win32/*' | sort
}

check() {  # name, what it covers, the tool it needs, then the command; prints the verdict and any findings
    local name=$1 covered=$2 tool=$3
    shift 3
    if ! command -v "$tool" >/dev/null; then
        printf '%-14s FAILED: %s is not installed (scripts/setup.sh installs it)\n' "$name" "$tool"
        failed=$((failed + 1))
        return
    fi
    if "$@" >"$logs/$name.log" 2>&1; then
        printf '%-14s ok (%s)\n' "$name" "$covered"
        passed=$((passed + 1))
    else
        printf '%-14s FAILED (%s):\n' "$name" "$covered"
        # Colour codes, clang-tidy's per-file command lines and its counts of warnings it did not
        # show (from system headers) only hide the findings.
        sed -E 's/\x1b\[[0-9;]*m//g' "$logs/$name.log" |
            grep -v -E '^(clang-tidy(-[0-9]+)? |[0-9]+ warnings generated\.$)' | head -n 80
        failed=$((failed + 1))
    fi
}

mapfile -t sources < <(all_sources)
mapfile -t portable < <(portable_sources)

check clang-format "${#sources[@]} files" clang-format clang-format --dry-run --Werror "${sources[@]}"

if [ ! -f build/native/compile_commands.json ]; then
    cmake --preset native >"$logs/configure.log" 2>&1 || cat "$logs/configure.log"
fi
if command -v run-clang-tidy >/dev/null; then
    # run-clang-tidy takes regular expressions: anchor each file so it names only itself.
    patterns=()
    for f in "${portable[@]}"; do
        patterns+=("/${f//./\\.}\$")
    done
    check clang-tidy "${#portable[@]} files" clang-tidy run-clang-tidy -j "$jobs" -quiet -p build/native "${patterns[@]}"
else
    check clang-tidy "${#portable[@]} files" clang-tidy \
        xargs -P "$jobs" -n 4 clang-tidy --quiet -p build/native < <(printf '%s\n' "${portable[@]}")
fi

check cppcheck "src, sim, tools" cppcheck cppcheck --enable=warning,performance,portability --std=c++17 --error-exitcode=1 \
    --inline-suppr --quiet -j "$jobs" -I src -I . src sim tools

echo "lint: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
