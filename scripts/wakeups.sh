#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wake-ups of the running program against its threaded stand-in (bench/bare_window.cpp given
# a tree: the same window, and one thread that reads the same files with the floor loop on a
# 2-second timer of its own), both at once on one private display with a window manager, on
# the benchmarks' tree of 3 supplies (scripts/floor_tree.sh): voluntary context switches per
# 2-second tick of each thread (/proc/PID/task/*/status) and its CPU time (schedstat), over
# the steady part of the run.
#   scripts/wakeups.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

if [[ -z "${TAVRINO_WAKEUPS_INNER:-}" ]]; then
    scripts/install-deps.sh test
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino bare_window >/dev/null
    TAVRINO_WAKEUPS_INNER=1 exec tests/support/with-display.sh --wm "$0" "$seconds"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
# shellcheck source=scripts/floor_tree.sh
source scripts/floor_tree.sh
lay_floor_tree "$work" 3
export HOME=$work/home

build/src/tavrino --sysfs-root="$work/power_supply" --quit-after="$seconds" &
app=$!
build/bench/bare_window "$seconds" "$work/power_supply" &
stand_in=$!

# One line per thread: process label, thread id, name, voluntary context switches, CPU time
# in nanoseconds.
sample() {
    local label pid task
    for label in tavrino stand-in; do
        pid=$app
        [[ $label == stand-in ]] && pid=$stand_in
        for task in /proc/"$pid"/task/*; do
            awk -v l="$label" -v t="${task##*/}" -v ns="$(cut -d' ' -f1 "$task/schedstat")" \
                '/^Name:/ { n = $2 }
                 /^voluntary_ctxt_switches:/ { print l, t, n, $2, ns }' "$task/status"
        done
    done
}
# Steady state only: start-up (GTK, fonts, the first layout) is left out.
sleep 10
sample >"$work/before"
elapsed=$((seconds - 14))
sleep "$elapsed"
sample >"$work/after"
wait $app
wait $stand_in

# Threads of one name are added up; a thread that ended meanwhile counts from 0.
awk -v ticks="$((elapsed / 2))" '
    NR == FNR { wakes[$1 " " $2] = $4; cpu[$1 " " $2] = $5; next }
    {
        key = $1 " " $2
        w = $4 - (key in wakes ? wakes[key] : 0)
        c = $5 - (key in cpu ? cpu[key] : 0)
        per[$1 " " $3] += w; per_cpu[$1 " " $3] += c
        per[$1 " (all threads)"] += w; per_cpu[$1 " (all threads)"] += c
    }
    END {
        for (k in per) {
            split(k, part, " ")
            printf "%-9s %-16s %6.2f %9.1f\n", part[1], part[2] (part[3] ? " " part[3] : ""),
                per[k] / ticks, per_cpu[k] / ticks / 1000
        }
    }' "$work/before" "$work/after" >"$work/table"
echo "per 2-second tick, steady $((elapsed / 2)) ticks"
printf '%-9s %-16s %6s %9s\n' process thread wakes "CPU (us)"
sort "$work/table"
