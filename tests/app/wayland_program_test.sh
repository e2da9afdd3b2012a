#!/usr/bin/env bash
# The whole program as a native Wayland client: it starts with no X display in reach, opens
# its window through the compositor and ends with status 0. Run by CTest through
# with-weston.sh: wayland_program_test.sh PATH-TO-TAVRINO
set -uo pipefail

program=$1
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT

# The protocol trace shows which display server the window went to.
status=0
WAYLAND_DEBUG=1 "$program" --demo=charging --quit-after=1 2>"$trace" || status=$?
if ((status != 0)); then
    echo "FAIL: the program exited with status $status" >&2
    grep -v '^\[' "$trace" >&2
    exit 1
fi
if ! grep -q 'xdg_toplevel@[0-9]*\.set_title("Tavrino · Sample data")' "$trace"; then
    echo "FAIL: no Wayland toplevel titled for the program" >&2
    exit 1
fi
echo "passed"
