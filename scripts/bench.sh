#!/usr/bin/env bash
# Builds the native tree optimised (Release) and runs the benchmarks of the overlay's tick:
# prints Google Benchmark's table (five interleaved runs of each case), then every case's best
# CPU time and its ratio to the best copy of the bytes a refresh tick reads (measured in the
# same run), and the ratios the targets are set on: the
# full tick at server scale (1024 channels, 1024 players, 1024 speakers, periodic refresh, new
# content) and the refresh after 1 % of the players changed, each over the copy; the full tick
# and the refresh after every record changed, each at 1024 players over 128. Extra
# arguments go to the benchmark program (--benchmark_filter=..., --benchmark_min_time=...).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target sayvane_bench >/dev/null

results=$(mktemp "${TMPDIR:-/tmp}/sayvane-bench.XXXXXX.json")
trap 'rm -f "$results"' EXIT

echo "machine: $(nproc) cores, $(lscpu 2>/dev/null | sed -n 's/^Model name: *//p' | head -n1), load $(cut -d' ' -f1-3 /proc/loadavg)"
# Five runs of each case, interleaved, and each case's best: the machines are shared, and other
# work only ever makes a run slower.
build/native-release/bin/sayvane_bench --benchmark_out="$results" --benchmark_out_format=json \
    --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true --benchmark_display_aggregates_only=true "$@"

python3 - "$results" <<'PY'
import json
import sys

runs = {}  # each case's fastest run (by CPU time)
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b.get("run_name", b["name"])
    if name not in runs or b.get("error_occurred") or b["cpu_time"] < runs[name]["cpu_time"]:
        runs[name] = b

def ratio(label, top, bottom, target=None):
    if top not in runs or bottom not in runs:
        print(f"{label}: not measured in this run")
        return
    a, b = runs[top], runs[bottom]
    if a.get("error_occurred") or b.get("error_occurred"):
        print(f"{label}: a benchmark reported an error")
        return
    value = a["cpu_time"] / b["cpu_time"]
    goal = "" if target is None else f" (target at most {target}: {'met' if value <= target else 'NOT met'})"
    print(f"{label}: {value:.1f}{goal}")

copy = runs.get("BM_CopyTickInput")
if copy is None or copy.get("error_occurred"):
    print("\nno copy of the tick's input was measured in this run: no ratios")
    sys.exit(0)
print(f"\neach case's best CPU time, and over the best copy of the tick's input ({copy['cpu_time']:.2f} us):")
for name, run in sorted(runs.items()):
    if name != "BM_CopyTickInput" and not run.get("error_occurred"):
        print(f"  {name:<48} {run['cpu_time']:10.1f} us {run['cpu_time'] / copy['cpu_time']:8.1f}x")
print()
ratio("full tick at server scale / copy of its input",
      "BM_Tick/speakers:1024/refresh:1/changing:1", "BM_CopyTickInput", 20)
ratio("full tick at 1024 players / at 128 players", "BM_TickGrowth/players:1024", "BM_TickGrowth/players:128")
ratio("1 % change at 1024 players / copy of the input", "BM_RefreshSomeChange/players:1024", "BM_CopyTickInput", 10)
ratio("every record changing at 1024 players / at 128 players",
      "BM_RefreshAllChange/players:1024", "BM_RefreshAllChange/players:128", 10)
PY
