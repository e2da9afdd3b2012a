#!/usr/bin/env bash
# Iconifying the window stops the reading passes, restoring it resumes them. Run by CTest
# through with-xvfb.sh --wm: iconify_program_test.sh PATH-TO-TAVRINO
#
# A pass is seen from outside as a wake-up of the "tavrino-read" thread: it sleeps on its
# condition between passes, so each pass costs at least one voluntary context switch.
program=$1
source "$(dirname "$0")/program_test_lib.sh"

find_reader() {
    local task
    for task in /proc/"$pid"/task/*; do
        [[ "$(cat "$task/comm" 2>/dev/null)" == tavrino-read ]] && reader=$task && return 0
    done
    return 1
}

wakeups() {
    awk '/^voluntary_ctxt_switches/ { print $2 }' "$reader/status"
}

woke_since() {
    (($(wakeups) > $1))
}

# in_state Iconic|Normal
in_state() {
    xprop -id "$win" WM_STATE | grep -q "window state: $1"
}

start || exit 1
wait_for 2 find_reader || { fail "no tavrino-read thread"; exit 1; }
wait_for 10 woke_since "$(wakeups)" || fail "the reader never made a pass"

xdotool windowminimize "$win"
wait_for 10 in_state Iconic || { fail "the window manager did not iconify the window"; exit 1; }
# A pass asked for just before the pause may still run; after it, none for three periods
# of the 2-second timer.
quiet=$(wakeups)
deadline=$((SECONDS + 6))
while ((SECONDS < deadline)); do
    (($(wakeups) <= quiet + 1)) || { fail "the reader kept reading while iconified"; break; }
    sleep 0.2
done

resumed=$(wakeups)
wmctrl -i -a "$win"
wait_for 10 in_state Normal || fail "the window manager did not restore the window"
wait_for 10 woke_since "$resumed" || fail "the reader did not resume after the restore"
stop
finish
