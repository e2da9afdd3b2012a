#!/usr/bin/env bash
# Runs a command as a client of a private headless Wayland compositor (weston), with no X
# display in reach: with-weston.sh CMD... Exits 77 (skipped) when weston is not installed.
set -euo pipefail

if ! command -v weston >/dev/null; then
    echo "with-weston: weston is not installed; skipped" >&2
    exit 77
fi

runtime=$(mktemp -d)  # 0700 already, as Wayland wants its runtime directory
cleanup() {
    [[ -n "${weston_pid:-}" ]] && kill "$weston_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime
socket=tavrino-test
unset DISPLAY
# The compositor's own helper clients need no X display either.
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --no-config \
    >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 200); do
    [[ -S "$runtime/$socket" ]] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.05
done
if [[ ! -S "$runtime/$socket" ]]; then
    echo "with-weston: weston did not start" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi
export WAYLAND_DISPLAY=$socket
unset GDK_BACKEND
export NO_AT_BRIDGE=1

set +e
"$@"
status=$?
set -e
exit $status
