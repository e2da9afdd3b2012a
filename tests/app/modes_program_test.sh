#!/usr/bin/env bash
# The compact strip and the expanded page, the size the user gave the window, always on
# top from the keyboard and from the window manager. Run by CTest through
# with-xvfb.sh --wm: modes_program_test.sh PATH-TO-TAVRINO
program=$1
source "$(dirname "$0")/program_test_lib.sh"

size() {
    xwininfo -id "$win" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'
}

has_size() {
    [[ "$(size)" == "$1 $2" ]]
}

# About 300 x 44.
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

# toggle CHORD: CHORD must flip keep-above.
toggle() {
    local want=is_above
    is_above && want=is_not_above
    xdotool key "$1"
    wait_for 10 "$want" || fail "$1 did not flip keep-above"
}

# Ctrl+T there and back: afterwards every earlier key and window manager request is done.
round_trip() {
    toggle ctrl+t
    toggle ctrl+t
}

# quickly CHORD...: the chords arrive all at once, faster than the program handles them.
quickly() {
    kill -STOP "$pid"
    xdotool key "$@"
    kill -CONT "$pid"
}

echo "== switching pages"
start || exit 1
xdotool windowsize "$win" 520 640
wait_for 10 has_size 520 640 || fail "the expanded window did not take the user's size"
xdotool key ctrl+m
wait_for 10 is_locked_strip || fail "Ctrl+m: no locked strip of about 300x44, size $(size)"
xdotool windowsize "$win" 500 300
round_trip
is_strip || fail "the strip could be resized to $(size)"
xdotool key ctrl+M
wait_for 10 has_size 520 640 || fail "Ctrl+M: the user's size was not restored, size $(size)"
is_locked && fail "the expanded window is not resizable"

echo "== two quick switches never shrink the window"
log=$(mktemp)
stdbuf -oL xev -id "$win" -event structure >"$log" &
xev_pid=$!
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
xdotool key ctrl+m
wait_for 10 is_locked_strip || fail "Ctrl+m: no locked strip, size $(size)"
quickly ctrl+m ctrl+m
round_trip
wait_for 10 is_locked_strip || fail "two quick switches from the strip: size $(size)"
xdotool key ctrl+m
wait_for 10 has_size 520 640 || fail "the user's size was lost, size $(size)"

echo "== Ctrl+T in its three forms, and keep-above set by the window manager"
for chord in ctrl+t ctrl+T ctrl+shift+t ctrl+t; do
    toggle "$chord"
done
is_not_above || fail "an even number of Ctrl+T left the window above"
wmctrl -i -r "$win" -b add,above
wait_for 10 is_above || fail "wmctrl could not set above"
toggle ctrl+t  # clears it: the pins followed the window manager
toggle ctrl+t
wmctrl -i -r "$win" -b remove,above
wait_for 10 is_not_above || fail "wmctrl could not clear above"
toggle ctrl+t
stop

echo "== --compact"
start --compact || exit 1
wait_for 10 is_locked_strip || fail "--compact: no locked strip of about 300x44, size $(size)"
xdotool key ctrl+m
wait_for 10 is_expanded || fail "--compact then Ctrl+m: no expanded window, size $(size)"
stop
finish
