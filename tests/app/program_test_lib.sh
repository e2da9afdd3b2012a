# Helpers for the whole-program scripts, sourced with the program's path in $program.
# Keys go through XTEST to the active window (GTK ignores events sent to a window
# directly); the results are read back from the X server.
set -uo pipefail

failures=0
pid=""
win=""

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Whatever happens, no program is left behind, not even a stopped one.
cleanup() {
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
        kill -CONT "$pid" 2>/dev/null
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
}
trap cleanup EXIT

# wait_for SECONDS CMD...: polls CMD until it succeeds; fails after SECONDS.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.05
    done
}

find_window() {
    win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
    [[ -n "$win" ]]
}

# start ARGS...: starts the program in demo mode, long before its timer, and activates it.
start() {
    "$program" --demo=charging --quit-after=120 "$@" &
    pid=$!
    wait_for 20 find_window || { fail "no window appeared for: $*"; return 1; }
    xdotool windowactivate --sync "$win" >/dev/null 2>&1
}

# stop: closes the window as its close button does; the program must exit with status 0.
stop() {
    wmctrl -i -c "$win"
    local status=0
    wait "$pid" || status=$?
    pid=""
    ((status == 0)) || fail "closing the window: exit status $status"
}

finish() {
    ((failures == 0)) || exit 1
    echo "all passed"
}
