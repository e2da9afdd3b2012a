#!/usr/bin/env bash
# The whole program under a window manager: iconifying the window stops the reading
# passes, restoring it resumes them. Run by CTest through with-xvfb.sh --wm:
# iconify_program_test.sh PATH-TO-TAVRINO
#
# The passes are seen from outside as the wake-ups of the "tavrino-read" thread: it sleeps
# on its condition between passes, so each pass costs it at least one voluntary context
# switch, and a paused reader makes none.
set -uo pipefail

program=$1
pid=""
cleanup() {
    if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

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

find_reader() {
    local task
    for task in /proc/"$pid"/task/*; do
        if [[ "$(cat "$task/comm" 2>/dev/null)" == tavrino-read ]]; then
            reader=$task
            return 0
        fi
    done
    return 1
}

wakeups() {
    awk '/^voluntary_ctxt_switches/ { print $2 }' "$reader/status"
}

woke_since() {
    (($(wakeups) > $1))
}

is_iconic() {
    xprop -id "$win" WM_STATE | grep -q 'window state: Iconic'
}

is_normal() {
    xprop -id "$win" WM_STATE | grep -q 'window state: Normal'
}

"$program" --demo=charging --quit-after=120 &
pid=$!
wait_for 20 find_window || fail "no window appeared"
# The reader starts before the main loop, so it runs once the window is seen.
wait_for 2 find_reader || fail "no tavrino-read thread"

start=$(wakeups)
wait_for 10 woke_since "$start" || fail "the reader never made a pass"

xdotool windowminimize "$win"
wait_for 10 is_iconic || fail "the window manager did not iconify the window"
# A pass asked for just before the pause may still run; after it, none may for three
# periods of the 2-second timer.
quiet=$(wakeups)
deadline=$((SECONDS + 6))
while ((SECONDS < deadline)); do
    (($(wakeups) <= quiet + 1)) || fail "the reader kept reading while the window was iconified"
    sleep 0.2
done

resumed=$(wakeups)
wmctrl -i -a "$win"
wait_for 10 is_normal || fail "the window manager did not restore the window"
wait_for 10 woke_since "$resumed" || fail "the reader did not resume after the window was restored"

wmctrl -i -c "$win"
status=0
wait "$pid" || status=$?
pid=""
((status == 0)) || fail "the program exited with status $status"
echo "passed"
