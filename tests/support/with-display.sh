#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private display: with-display.sh [--wm | --wayland] CMD...
# By default a private Xvfb (picked by Xvfb itself, so parallel tests never collide); with
# --wm openbox manages its windows too; with --wayland a private headless weston and no X
# display in reach (exit 77, skipped, when weston is not installed).
set -euo pipefail
mode=${1:-}
[[ -z $mode || $mode == --wm || $mode == --wayland ]] && shift  # "" from CMake: plain
work=$(mktemp -d)  # 0700 already, as Wayland wants its runtime directory
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# No accessibility bus unless a test starts one: ATK objects work without it.
export NO_AT_BRIDGE=1

# wait_for FILE-TEST PATH: up to 10 s for a server to show itself.
wait_for() {
    for _ in $(seq 200); do
        test "$1" "$2" && return 0
        sleep 0.05
    done
    echo "with-display: the server did not start" >&2
    cat "$work"/*.log >&2
    exit 1
}

if [[ $mode == --wayland ]]; then
    command -v weston >/dev/null || { echo "with-display: no weston; skipped" >&2; exit 77; }
    export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=tavrino-test
    unset DISPLAY GDK_BACKEND
    weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 \
        --no-config >"$work/weston.log" 2>&1 &
    wait_for -S "$work/$WAYLAND_DISPLAY"
else
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    wait_for -s "$work/display"
    export DISPLAY=":$(head -n1 "$work/display")" GDK_BACKEND=x11
    unset WAYLAND_DISPLAY
    if [[ $mode == --wm ]]; then
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        for _ in $(seq 200); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.05
        done
    fi
fi
set +e
"$@"
