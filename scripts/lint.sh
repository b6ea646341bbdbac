#!/usr/bin/env bash
# The code gate: clang-format over every C++ source, clang-tidy and cppcheck over the portable
# code (src/ except src/win32, sim/ and tools/), clang-tidy over the Win32 layer (src/win32/).
# Prints one line per check, the findings of a check that fails, then "lint: N passed, M failed".
# clang-tidy reads build/native/compile_commands.json for the portable code and
# build/win32/compile_commands.json (mingw-w64) for the Win32 layer, and configures a tree first
# when its file is not there; without the mingw-w64 compiler the Win32 layer's check is skipped,
# and says so.
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

win32_sources() {
    find src/win32 -type f -name '*.cpp' | sort
}

# clang-tidy over files of one tree, with that tree's compile commands. run-clang-tidy takes
# regular expressions: each file is anchored so that it names only itself.
tidy() {  # build dir, extra clang arguments (one word, space-separated), then the files
    local dir=$1 extra=$2
    shift 2
    local args=()
    for a in $extra; do
        args+=("-extra-arg=$a")
    done
    if command -v run-clang-tidy >/dev/null; then
        local patterns=()
        for f in "$@"; do
            patterns+=("/${f//./\\.}\$")
        done
        run-clang-tidy -j "$jobs" -quiet -p "$dir" "${args[@]}" "${patterns[@]}"
    else
        printf '%s\n' "$@" | xargs -P "$jobs" -n 4 clang-tidy --quiet -p "$dir" "${args[@]}"
    fi
}

# What clang needs to read the mingw tree's sources as its compiler does: that compiler's target,
# and its C++ library's header folders (clang brings its own compiler headers and finds the
# mingw-w64 system headers by the target).
mingw_clang_args() {
    local compiler
    compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build/win32/CMakeCache.txt)
    [ -x "$compiler" ] || return 1
    echo "--target=$("$compiler" -dumpmachine)"
    "$compiler" -x c++ -E -v /dev/null 2>&1 >/dev/null |
        sed -n '/^#include <...> search starts here:$/,/^End of search list\.$/p' |
        sed -n 's|^ \(/.*/c++.*\)$|-isystem\1|p'
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
check clang-tidy "${#portable[@]} files" clang-tidy tidy build/native "" "${portable[@]}"

# The Win32 layer compiles only for Windows: clang-tidy reads it with the mingw tree's commands.
mapfile -t win32 < <(win32_sources)
if ! command -v i686-w64-mingw32-g++-posix >/dev/null && ! command -v i686-w64-mingw32-g++ >/dev/null; then
    printf '%-14s skipped: the mingw-w64 compiler is not installed (scripts/setup.sh installs it)\n' clang-tidy-w32
else
    if [ ! -f build/win32/compile_commands.json ]; then
        cmake --preset win32 >"$logs/configure-win32.log" 2>&1 || cat "$logs/configure-win32.log"
    fi
    mingw_args=$(mingw_clang_args | tr '\n' ' ')
    check clang-tidy-w32 "${#win32[@]} files, src/win32" clang-tidy tidy build/win32 "$mingw_args" "${win32[@]}"
fi

check cppcheck "src, sim, tools" cppcheck cppcheck --enable=warning,performance,portability --std=c++17 --error-exitcode=1 \
    --inline-suppr --quiet -j "$jobs" -I src -I . src sim tools

echo "lint: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
