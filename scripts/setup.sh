#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian 12 machine (run as root),
# then prepares the Wine template prefix the end-to-end tests copy, one for each architecture
# the Windows part runs on here (scripts/windows-arch.sh decides). Safe to run again: every
# step checks first, so a machine that already has everything is done in a second or two.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
prefix_template=${SAYVANE_WINE_TEMPLATE:-$here/build/wine-template}

packages=(
    cmake g++ make ninja-build googletest libgtest-dev libgmock-dev libbenchmark-dev
    g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick x11-utils nsis zip
    clang libclang-rt-14-dev
    clang-format clang-tidy cppcheck
    python3 python3-pefile 7zip
    nlohmann-json3-dev
)

need=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages (${need[*]}); run this script as root" >&2
        exit 1
    fi
    echo "setup: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt_log=$(mktemp "${TMPDIR:-/tmp}/sayvane-apt.XXXXXX")
    if ! apt-get update -qq >"$apt_log" 2>&1 ||
        ! apt-get install -y -qq --no-install-recommends "${need[@]}" >>"$apt_log" 2>&1; then
        echo "setup: installing ${need[*]} failed; apt-get said:" >&2
        grep -E '^(E|W):|Unable|rror' "$apt_log" | head -n 20 >&2
        rm -f "$apt_log"
        exit 1
    fi
    rm -f "$apt_log"
fi

# mingw ships two thread models; std::thread-free code works with either, but pick the
# posix one consistently so that a machine that had win32 selected builds the same way.
for tool in {i686,x86_64}-w64-mingw32-{g++,gcc}; do
    if [ -e "/usr/bin/$tool-posix" ] && command -v update-alternatives >/dev/null; then
        update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null 2>&1 || true
    fi
done

source "$here/scripts/windows-arch.sh"
windows_arch_decide
for arch in $SAYVANE_WINDOWS_ARCHES; do
    bash "$here/scripts/wine-prefix.sh" "$prefix_template-$arch" "$arch"
done
