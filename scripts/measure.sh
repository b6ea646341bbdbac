#!/usr/bin/env bash
# Measures the real Sayvane.exe under Wine for a fixed span (AutoStart=1, Refresh=0 = 250 ms,
# the substitute TSRemote.dll beside it) against the simulated voice clients (TeamSpeak 2, 3 and
# 5/6: rows busy/idle, busy3/idle3, busy5/idle5), once with a busy frequency (approach.txt) and
# once with an idle one (idle.txt), and Wine's own notepad as the floor any Wine GUI process pays. Prints CPU time, peak memory and start-up time.
#   scripts/measure.sh [SECONDS]        60 by default; build the win32 preset first (win64 on a
#                                       host that cannot run 32-bit programs)
#   scripts/measure.sh latency          TeamSpeak 3 and 5/6 at Refresh 250 ms and 2.5 s: the time
#                                       from a talk notification on the socket to the overlay
#                                       shown (each of six words, and the median), and from the
#                                       connection accepted to the player list complete
# Figures: CPU time (user+sys) and VmHWM of the Linux process running Sayvane.exe, read from
# /proc (Wine's GetProcessTimes gives 0 for another process); the peak working set as Wine
# reports it; the time from CreateProcess to the splash and to the overlay. Targets, for comparison only: idle at
# 250 ms under 1% of one core, peak working set under 16 MB.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
if [ "$seconds" = latency ]; then
    source "$root/scripts/windows-arch.sh"
    windows_arch_decide
    arch=${SAYVANE_WINDOWS_ARCHES%% *}
    if [ -z "${SAYVANE_WINE_SESSION:-}" ]; then
        SAYVANE_WINE_ARCH=$arch exec "$root/scripts/with-wine.sh" bash "$0" "$@"
    fi
    for client in ts3 ts5; do
        for refresh in 0 45; do
            echo "== $client, Refresh position $refresh"
            "$WINELOADER" "$root/build/win$arch/bin/sayvane_measure.exe" --latency "$client" --refresh "$refresh" \
                --rounds 6 2>/dev/null | tr -d '\r' | grep -E '^(first_lists|talk_to_overlay)'
        done
    done
    exit 0
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: scripts/measure.sh [SECONDS]" >&2
    exit 2
fi
source "$root/scripts/windows-arch.sh"
windows_arch_decide
arch=${SAYVANE_WINDOWS_ARCHES%% *}
bin=$root/build/win$arch/bin
for file in sayvane_measure.exe Sayvane.exe TSRemote.dll ts2sim.exe ts3sim.exe ts5sim.exe scenarios/approach.txt \
    scenarios/idle.txt; do
    if [ ! -f "$bin/$file" ]; then
        echo "measure: $bin/$file is missing; build first: cmake --preset win$arch && cmake --build --preset win$arch" >&2
        exit 1
    fi
done

# Everything below runs inside a Wine session of its own.
if [ -z "${SAYVANE_WINE_SESSION:-}" ]; then
    SAYVANE_WINE_ARCH=$arch exec "$root/scripts/with-wine.sh" bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sayvane-measure.XXXXXX")
helper=""
cleanup() {
    [ -n "$helper" ] && kill "$helper" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
ticks_per_second=$(getconf CLK_TCK)

# The Linux process of this Wine session whose command line runs the given Windows program.
unix_pid_of() {
    local program=$1 dir pid
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [ -r "$dir/environ" ] || continue
        tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        tr '\0' ' ' 2>/dev/null <"$dir/cmdline" | grep -qiE "(^|[\\\\/])${program//./\\.}( |$)" || continue
        echo "$pid"
        return 0
    done
    return 1
}

# utime + stime of a process, in clock ticks (fields 14 and 15, after the name in brackets).
cpu_ticks() {
    sed -E 's/^.*\) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

status_kb() {  # pid, field (VmHWM, VmRSS)
    awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"
}

# The helper's report lines end in CR LF (a Windows console program's text output).
value() {  # file, key
    tr -d '\r' <"$1" | sed -n "s/^$2=//p" | tail -n1
}

wait_for_line() {  # file, line, timeout seconds
    local deadline=$((SECONDS + $3))
    until tr -d '\r' 2>/dev/null <"$1" | grep -qx "$2"; do
        if [ $SECONDS -ge $deadline ] || ! kill -0 "$helper" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
}

rows=()
# name, the Windows program measured, the helper's arguments
measure() {
    local name=$1 program=$2
    shift 2
    local out=$work/$name.out release=$work/$name.release
    "$WINELOADER" "$bin/sayvane_measure.exe" "$@" --seconds "$seconds" --release "$("$WINELOADER" winepath.exe -w "$release")" \
        >"$out" 2>"$work/$name.err" &
    helper=$!
    if ! wait_for_line "$out" measure-start 120; then
        echo "measure: $name did not start:" >&2
        cat "$out" "$work/$name.err" >&2
        exit 1
    fi
    local pid
    pid=$(unix_pid_of "$program") || { echo "measure: no Linux process runs $program" >&2; exit 1; }
    local before start
    before=$(cpu_ticks "$pid")
    start=$(date +%s%N)
    if ! wait_for_line "$out" measure-end $((seconds + 60)); then
        echo "measure: $name did not finish:" >&2
        cat "$out" "$work/$name.err" >&2
        exit 1
    fi
    local after end hwm anon
    after=$(cpu_ticks "$pid")
    end=$(date +%s%N)
    hwm=$(status_kb "$pid" VmHWM)
    anon=$(status_kb "$pid" RssAnon)
    touch "$release"
    wait "$helper" || true
    helper=""

    local cpu_ms wall_ms
    cpu_ms=$(( (after - before) * 1000 / ticks_per_second ))
    wall_ms=$(( (end - start) / 1000000 ))
    rows+=("$(awk -v n="$name" -v c="$cpu_ms" -v w="$wall_ms" -v h="$hwm" -v a="$anon" \
        -v wp="$(value "$out" win_peak_working_set_kb)" -v s="$(value "$out" startup_splash_ms)" \
        -v o="$(value "$out" startup_overlay_ms)" -v v="$(value "$out" overlay_visible_percent)" \
        'BEGIN { printf "%-6s %7.1f %8d %9.2f %9.1f %9.1f %9.1f %10.1f %10s %9.1f\n", n, w / 1000, c, 100 * c / w,
                 h / 1024, a / 1024, wp / 1024, s, (o < 0 ? "-" : sprintf("%.1f", o)), v }')")
}

echo "measuring ${seconds} s each: busy (approach.txt) and idle (idle.txt) with TeamSpeak 2, 3 and 5/6,"
echo "and Wine's notepad as the floor"
measure busy Sayvane.exe --scenario approach.txt
measure idle Sayvane.exe --scenario idle.txt
measure busy3 Sayvane.exe --scenario approach.txt --client ts3
measure idle3 Sayvane.exe --scenario idle.txt --client ts3
measure busy5 Sayvane.exe --scenario approach.txt --client ts5
measure idle5 Sayvane.exe --scenario idle.txt --client ts5
measure floor notepad.exe --baseline

echo
printf "%-6s %7s %8s %9s %9s %9s %9s %10s %10s %9s\n" run span_s cpu_ms cpu_% VmHWM_MB anon_MB peakWS_MB splash_ms overlay_ms visible_%
printf "%-6s %7s %8s %9s %9s %9s %9s %10s %10s %9s\n" "" "" "user+sys" "of 1 core" "(Linux)" "(Linux)" "(Wine)" "from start" "from start" "overlay"
for row in "${rows[@]}"; do
    echo "$row"
done
echo
echo "targets: idle at 250 ms under 1% of one core; peak working set under 16 MB."
echo "VmHWM and the working set include Wine's own libraries; the floor row is what any Wine GUI program pays;"
echo "anon_MB (RssAnon at the end) is the process's private memory: heaps, Wine's and the program's."
echo "CPU time comes from /proc: Wine's GetProcessTimes reports 0 for another process (the helper's own"
echo "win_cpu_ms line, kept for real Windows)."
