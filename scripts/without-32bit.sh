#!/usr/bin/env bash
# Runs a command as on a host whose kernel refuses 32-bit programs, to try the 64-bit path of
# the test command and the demo on a host that runs both (as root):
#   scripts/without-32bit.sh scripts/test.sh
# In a mount namespace of its own, the i386 program interpreter is covered by an empty file,
# so every 32-bit Linux program (Wine's 32-bit loader among them) fails to start, as there.
set -euo pipefail
interpreter=$(readlink -f /lib/ld-linux.so.2 2>/dev/null || true)
if [ -z "$interpreter" ] || [ ! -e "$interpreter" ]; then
    echo "without-32bit: this host has no i386 interpreter: it cannot run 32-bit programs anyway" >&2
    exec "$@"
fi
blank=$(mktemp "${TMPDIR:-/tmp}/sayvane-no-i386.XXXXXX")
trap 'rm -f "$blank"' EXIT
unshare --mount --propagation private bash -c 'mount --bind "$1" "$2" && shift 2 && exec "$@"' _ "$blank" "$interpreter" "$@"
