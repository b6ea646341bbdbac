#!/usr/bin/env bash
# Builds the native tree optimised (Release) and runs the benchmarks of the overlay's tick:
# prints Google Benchmark's table, then two ratios: the full tick at server scale (1024
# channels, 1024 players, 1024 speakers, periodic refresh, new content) over a copy of the
# bytes it reads, and the full tick at 1024 players over the one at 128 players. Extra
# arguments go to the benchmark program (--benchmark_filter=..., --benchmark_min_time=...).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target sayvane_bench >/dev/null

results=$(mktemp "${TMPDIR:-/tmp}/sayvane-bench.XXXXXX.json")
trap 'rm -f "$results"' EXIT

echo "machine: $(nproc) cores, $(lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -n1), load $(cut -d' ' -f1-3 /proc/loadavg)"
build/native-release/bin/sayvane_bench --benchmark_out="$results" --benchmark_out_format=json "$@"

python3 - "$results" <<'PY'
import json
import sys

runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type") == "iteration"}

def ratio(label, top, bottom):
    if top not in runs or bottom not in runs:
        print(f"{label}: not measured in this run")
        return
    a, b = runs[top], runs[bottom]
    if a.get("error_occurred") or b.get("error_occurred"):
        print(f"{label}: a benchmark reported an error")
        return
    print(f"{label}: {a['cpu_time'] / b['cpu_time']:.1f} (CPU time), {a['real_time'] / b['real_time']:.1f} (wall time)")

print()
ratio("full tick at server scale / copy of its input",
      "BM_Tick/speakers:1024/refresh:1/changing:1", "BM_CopyTickInput")
ratio("full tick at 1024 players / at 128 players", "BM_TickGrowth/players:1024", "BM_TickGrowth/players:128")
PY
