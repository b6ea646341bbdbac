# Which Windows architectures this host runs Sayvane's Windows build on: the one decision
# that the test command, the demo and the Wine session share. Source it, then call
# windows_arch_decide; it sets
#   SAYVANE_HOST_RUNS_32BIT  yes | no  (tried, not guessed: Wine's 32-bit loader is started)
#   SAYVANE_WINDOWS_ARCHES   "32", "64" or "32 64": the trees whose tests run, in that order
#   SAYVANE_WINDOWS_REASON   one line that says what was decided and why
# SAYVANE_WINDOWS_ARCH=32|64|both overrides the choice; a choice this host cannot run is an
# error, said as such. Some x86-64 kernels have 32-bit execution turned off: every i386
# program, Wine's 32-bit loader included, fails there with "Exec format error".

wine_loader32=/usr/lib/wine/wine
wine_loader64=/usr/lib/wine/wine64

# The Wine loader of an architecture (32 or 64).
wine_loader() {
    if [ "$1" = 32 ]; then echo "$wine_loader32"; else echo "$wine_loader64"; fi
}

# Tries the 32-bit loader once per process tree; the answer is exported for the scripts that
# run below this one.
host_runs_32bit() {
    if [ -z "${SAYVANE_HOST_RUNS_32BIT:-}" ]; then
        if [ -x "$wine_loader32" ] && "$wine_loader32" --version >/dev/null 2>&1; then
            SAYVANE_HOST_RUNS_32BIT=yes
        else
            SAYVANE_HOST_RUNS_32BIT=no
        fi
        export SAYVANE_HOST_RUNS_32BIT
    fi
    [ "$SAYVANE_HOST_RUNS_32BIT" = yes ]
}

windows_arch_decide() {
    local why_not
    if host_runs_32bit; then
        why_not=""
    elif [ -x "$wine_loader32" ]; then
        why_not="this host cannot run 32-bit programs (Wine's 32-bit loader $wine_loader32 does not start here)"
    else
        why_not="this host cannot run 32-bit Windows programs (Wine's 32-bit loader $wine_loader32 is not installed)"
    fi
    case "${SAYVANE_WINDOWS_ARCH:-auto}" in
        auto | "")
            if [ -z "$why_not" ]; then
                SAYVANE_WINDOWS_ARCHES=32
                SAYVANE_WINDOWS_REASON="this host runs 32-bit programs: the Windows tests and the demo run the 32-bit build under Wine (SAYVANE_WINDOWS_ARCH=64 or both for the 64-bit build)"
            else
                SAYVANE_WINDOWS_ARCHES=64
                SAYVANE_WINDOWS_REASON="$why_not; the Windows tests and the demo run the 64-bit build of the same sources under wine64; the 32-bit program is built and checked without being run"
            fi
            ;;
        32 | both)
            if [ -n "$why_not" ]; then
                echo "SAYVANE_WINDOWS_ARCH=$SAYVANE_WINDOWS_ARCH asks for the 32-bit build, but $why_not; use SAYVANE_WINDOWS_ARCH=64, or leave it unset to let the host decide" >&2
                return 1
            fi
            if [ "$SAYVANE_WINDOWS_ARCH" = 32 ]; then
                SAYVANE_WINDOWS_ARCHES=32
                SAYVANE_WINDOWS_REASON="the 32-bit build runs under Wine (SAYVANE_WINDOWS_ARCH=32)"
            else
                SAYVANE_WINDOWS_ARCHES="32 64"
                SAYVANE_WINDOWS_REASON="the 32-bit build runs under Wine, then the 64-bit build of the same sources under wine64 (SAYVANE_WINDOWS_ARCH=both)"
            fi
            ;;
        64)
            SAYVANE_WINDOWS_ARCHES=64
            SAYVANE_WINDOWS_REASON="the 64-bit build of the same sources runs under wine64 (SAYVANE_WINDOWS_ARCH=64); the 32-bit program is built and checked without being run"
            [ -n "$why_not" ] && SAYVANE_WINDOWS_REASON="$SAYVANE_WINDOWS_REASON; $why_not"
            ;;
        *)
            echo "SAYVANE_WINDOWS_ARCH=$SAYVANE_WINDOWS_ARCH: use 32, 64 or both (or leave it unset)" >&2
            return 1
            ;;
    esac
    export SAYVANE_WINDOWS_ARCHES SAYVANE_WINDOWS_REASON
}
