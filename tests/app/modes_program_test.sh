#!/usr/bin/env bash
# The whole program under a window manager: the compact strip and the expanded page, the
# size the user gave the window, always on top from the keyboard and from the window
# manager. Run by CTest through with-xvfb.sh --wm: modes_program_test.sh PATH-TO-TAVRINO
#
# Keys go through XTEST to the active window (GTK ignores events sent to a window
# directly); what happened is read back from the X server with xwininfo and xprop.
set -uo pipefail

program=$1
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

# start ARGS...: starts the program in demo mode and activates its window.
start() {
    "$program" --demo=charging --quit-after=120 "$@" &
    pid=$!
    if ! wait_for 20 find_window; then
        fail "no window appeared for: $*"
        return 1
    fi
    xdotool windowactivate --sync "$win" >/dev/null 2>&1
}

# stop: closes the window through the window manager; the program must exit with 0.
stop() {
    wmctrl -i -c "$win"
    local status=0
    wait "$pid" || status=$?
    pid=""
    ((status == 0)) || fail "the program exited with status $status"
}

# Prints WIDTH HEIGHT of the window.
size() {
    xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'
}

has_size() {
    [[ "$(size)" == "$1 $2" ]]
}

# About 300 x 44: a width of at least 280 and a height of at most 96.
is_strip() {
    local width height
    read -r width height < <(size)
    ((width >= 280 && width <= 320 && height > 0 && height <= 96))
}

# The window tells the window manager it cannot be resized: minimum size = maximum size.
is_locked() {
    local hints min max
    hints=$(xprop -id "$win" WM_NORMAL_HINTS)
    min=$(sed -n 's/.*minimum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    [[ -n "$min" && "$min" == "$max" ]]
}

is_locked_strip() {
    is_strip && is_locked
}

is_expanded() {
    local width height
    read -r width height < <(size)
    ! is_locked && ((width >= 340 && height >= 390))
}

is_above() {
    xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE
}

is_not_above() {
    ! is_above
}

# key CHORD: types CHORD into the active window.
key() {
    xdotool key "$1"
}

# Ctrl+T on and off again. Everything sent to the program before it has been handled
# once this returns, and the window manager has handled every request made before.
round_trip() {
    key ctrl+t
    wait_for 10 is_above || fail "round trip: Ctrl+T did not set above"
    key ctrl+t
    wait_for 10 is_not_above || fail "round trip: Ctrl+T did not clear above"
}

# quickly CHORD...: the program receives the chords all at once, as when keys are typed
# faster than it handles them.
quickly() {
    kill -STOP "$pid"
    xdotool key "$@"
    kill -CONT "$pid"
}

echo "== switching pages"
start || exit 1
xdotool windowsize "$win" 520 640
wait_for 10 has_size 520 640 || fail "the expanded window did not take the user's size"

key ctrl+m
wait_for 10 is_locked_strip || fail "Ctrl+m: no locked strip of about 300x44, size $(size)"
xdotool windowsize "$win" 500 300
round_trip
is_strip || fail "the strip could be resized to $(size)"

key ctrl+M
wait_for 10 has_size 520 640 || fail "Ctrl+M: the user's size was not restored, size $(size)"
is_locked && fail "the expanded window is not resizable"

echo "== two quick switches never shrink the window"
log=$(mktemp)
stdbuf -oL xev -id "$win" -event structure >"$log" &
xev_pid=$!
# Moves show up in the log once xev listens.
xev_listens() {
    xdotool windowmove "$win" $((40 + RANDOM % 40)) 40
    grep -q ConfigureNotify "$log"
}
wait_for 10 xev_listens || fail "xev saw no move"
quickly ctrl+m ctrl+m
round_trip
round_trip
kill "$xev_pid"
wait "$xev_pid" 2>/dev/null
# Every configure xev saw, the moves included, has the size the user gave the window.
if grep -o "width [0-9]*, height [0-9]*" "$log" | grep -vqx "width 520, height 640"; then
    fail "the window changed its size during two quick switches"
fi
rm -f "$log"
has_size 520 640 || fail "after two quick switches the size is $(size)"

echo "== quick switches from the strip keep the user's size"
key ctrl+m
wait_for 10 is_locked_strip || fail "Ctrl+m: no locked strip, size $(size)"
quickly ctrl+m ctrl+m
round_trip
wait_for 10 is_locked_strip || fail "not back in a locked strip, size $(size)"
key ctrl+m
wait_for 10 has_size 520 640 || fail "the user's size was lost, size $(size)"

echo "== Ctrl+T in its three forms"
for chord in ctrl+t ctrl+T ctrl+shift+t ctrl+t; do
    if is_above; then
        key "$chord"
        wait_for 10 is_not_above || fail "$chord did not clear above"
    else
        key "$chord"
        wait_for 10 is_above || fail "$chord did not set above"
    fi
done
is_not_above || fail "an even number of Ctrl+T left the window above"

echo "== keep-above changed by the window manager"
wmctrl -i -r "$win" -b add,above
wait_for 10 is_above || fail "wmctrl could not set above"
# The pins must have followed: Ctrl+T now takes the window off the top.
key ctrl+t
wait_for 10 is_not_above || fail "Ctrl+T after the window manager set above did not clear it"
key ctrl+t
wait_for 10 is_above || fail "Ctrl+T did not set above"
wmctrl -i -r "$win" -b remove,above
wait_for 10 is_not_above || fail "wmctrl could not clear above"
key ctrl+t
wait_for 10 is_above || fail "Ctrl+T after the window manager cleared above did not set it"
stop

echo "== --compact"
start --compact || exit 1
wait_for 10 is_locked_strip || fail "--compact: no locked strip of about 300x44, size $(size)"
key ctrl+m
wait_for 10 is_expanded ||
    fail "--compact then Ctrl+m: no expanded window, size $(size)"
stop

((failures == 0)) || exit 1
echo "all passed"
