#!/usr/bin/env bash
# Lines of C++ (.cpp and .h tracked by git) in each part of the project, and the share of test
# code in all of it; the rule is at most one third. Test code: tests/, e2e/ but the demo driver
# and the measuring program, fuzz/.
#   scripts/code-size.sh           the table
#   scripts/code-size.sh --line    one line, for the test command
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {  # the lines of the tracked C++ files under the given folders (those deleted but not yet committed left out)
    git ls-files -- "$@" | grep -E '\.(h|cpp)$' | while read -r file; do [ -f "$file" ] && cat "$file"; done | wc -l
}
e2e_tests=$(( $(lines e2e) - $(lines e2e/demo e2e/measure) ))
tests=$(( $(lines tests) + e2e_tests + $(lines fuzz) ))
all=$(lines src sim peers tests e2e fuzz bench tools)
percent=$(awk -v t="$tests" -v a="$all" 'BEGIN { printf "%.1f", a ? 100 * t / a : 0 }')
verdict=$([ $((3 * tests)) -le "$all" ] && echo "within" || echo "above")

if [ "${1:-}" = --line ]; then
    echo "code size: test code $tests of $all lines of C++ ($percent %, $verdict the third)"
    exit 0
fi
printf '| %-58s | %6s |\n' part lines '-' '-'
for part in src sim peers tests; do
    printf '| %-58s | %6d |\n' "\`$part/\`" "$(lines "$part")"
done
printf '| %-58s | %6d |\n' "\`e2e/\` without the demo driver and the measuring program" "$e2e_tests"
printf '| %-58s | %6d |\n' "\`e2e/demo/\`, \`e2e/measure/\`" "$(lines e2e/demo e2e/measure)"
for part in fuzz bench tools; do
    printf '| %-58s | %6d |\n' "\`$part/\`" "$(lines "$part")"
done
printf '| %-58s | %6d |\n' "**test code** (tests, e2e but demo and measure, fuzz)" "$tests"
printf '| %-58s | %6d |\n' "**all C++**" "$all"
echo
echo "test code: $percent % of all C++ ($verdict the third)"
