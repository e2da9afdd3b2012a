#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The running program's cost against its threaded stand-in (bench/bare_window.cpp given the
# tree: the same window and widgets, and one thread that reads the same files with the floor
# loop every 2 seconds), both run at once on one private Xvfb display so they share the
# machine's noise: CPU time per minute and resident memory, sampled just before the end. Then ten start-ups,
# timed from exec to the window's first showing and to the first applied snapshot (a
# preloaded probe notes when the battery's rate first reaches a label).
#   scripts/measure_process.sh [SECONDS]   (default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}

if [[ -z "${TAVRINO_MEASURE_INNER:-}" ]]; then
    scripts/install-deps.sh test
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino bare_window first_snapshot_probe >/dev/null
    TAVRINO_MEASURE_INNER=1 exec tests/support/with-display.sh --wm "$0" "$seconds"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/power_supply" "$work/devices/BAT0" "$work/devices/AC" "$work/home"
printf 'POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_PRESENT=1\nPOWER_SUPPLY_TECHNOLOGY=Li-ion\nPOWER_SUPPLY_CYCLE_COUNT=142\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\nPOWER_SUPPLY_POWER_NOW=12480000\nPOWER_SUPPLY_ENERGY_FULL_DESIGN=60000000\nPOWER_SUPPLY_ENERGY_FULL=55200000\nPOWER_SUPPLY_ENERGY_NOW=35328000\nPOWER_SUPPLY_CAPACITY=64\nPOWER_SUPPLY_MODEL_NAME=Steady\nPOWER_SUPPLY_MANUFACTURER=Bench\n' \
    >"$work/devices/BAT0/uevent"
printf 'POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n' \
    >"$work/devices/AC/uevent"
ln -s "$work/devices/BAT0" "$work/power_supply/BAT0"
ln -s "$work/devices/AC" "$work/power_supply/AC"
export HOME=$work/home

build/src/tavrino --sysfs-root="$work/power_supply" --quit-after="$seconds" &
app=$!
build/bench/bare_window "$seconds" "$work/power_supply" &
bare=$!

# CPU time in nanoseconds, summed over the process's threads (schedstat counts in ns, where
# the clock-tick fields of /proc/PID/stat would round a quiet minute to a few ticks).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { print sum }'; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
# Steady state only: start-up (GTK, fonts, the first layout) is timed separately below.
sleep 10
app_cpu0=$(cpu_ns $app)
bare_cpu0=$(cpu_ns $bare)
sleep $((seconds - 13))
elapsed=$((seconds - 13))
app_cpu=$(($(cpu_ns $app) - app_cpu0))
bare_cpu=$(($(cpu_ns $bare) - bare_cpu0))
app_rss=$(rss_kib $app)
bare_rss=$(rss_kib $bare)
wait $app
wait $bare

awk -v a="$app_cpu" -v b="$bare_cpu" -v t=1e9 -v s="$elapsed" \
    -v ar="$app_rss" -v br="$bare_rss" 'BEGIN {
    printf "steady %d s of a run, both processes on one display\n", s
    printf "CPU per minute: tavrino %.3f s, stand-in %.3f s, ratio %.2f\n",
        a / t * 60 / s, b / t * 60 / s, (b > 0 ? a / b : 0)
    printf "resident memory: tavrino %d KiB, stand-in %d KiB, difference %d KiB\n",
        ar, br, ar - br
}'

# Start-up: exec to the window shown, and exec to the first snapshot on screen.
startups=()
for run in $(seq 10); do
    out=$work/probe.$run
    start=$(date +%s.%N)
    TAVRINO_PROBE_TEXT="12.48 W" TAVRINO_PROBE_OUT=$out \
        LD_PRELOAD=$PWD/build/bench/libfirst_snapshot_probe.so \
        build/src/tavrino --sysfs-root="$work/power_supply" --quit-after=30 &
    pid=$!
    for _ in $(seq 300); do
        [[ -s "$out" ]] && break
        sleep 0.02
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [[ -s "$out" ]] || { echo "start-up $run: no snapshot applied"; exit 1; }
    startups+=("$start $(cat "$out")")
done
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
shown=$(printf '%s\n' "${startups[@]}" | awk '{ printf "%.0f\n", ($2 - $1) * 1000 }' | median)
applied=$(printf '%s\n' "${startups[@]}" | awk '{ printf "%.0f\n", ($3 - $1) * 1000 }' | median)
echo "start-up, medians of ${#startups[@]}: window shown ${shown} ms after exec," \
    "first snapshot applied ${applied} ms after exec"
