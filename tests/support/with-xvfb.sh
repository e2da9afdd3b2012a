#!/usr/bin/env bash
# Runs a command on a private Xvfb display (picked by Xvfb itself, so parallel tests never
# collide), optionally with openbox as the window manager: with-xvfb.sh [--wm] CMD...
set -euo pipefail

want_wm=0
if [[ "${1:-}" == "--wm" ]]; then
    want_wm=1
    shift
fi

workdir=$(mktemp -d)
cleanup() {
    [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null || true
    [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

exec 3>"$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s "$workdir/display" ]] && break
    sleep 0.05
done
if [[ ! -s "$workdir/display" ]]; then
    echo "with-xvfb: Xvfb did not start" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$workdir/display")"
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11
# No accessibility bus in tests: ATK objects work without it, and it avoids D-Bus noise.
export NO_AT_BRIDGE=1

if [[ $want_wm -eq 1 ]]; then
    openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
fi

set +e
"$@"
status=$?
set -e
exit $status
