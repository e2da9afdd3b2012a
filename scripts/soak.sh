#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Soak test: runs Tavrino for a long time (default 600 s) under Xvfb on a power-supply tree
# that a companion loop keeps changing (batteries appearing and vanishing, attribute files
# turning into garbage, FIFOs or directories, the whole root removed and restored), then
# checks that
#   - the window still updates at the end (two screenshots around a change differ),
#   - the process exited with status 0 through --quit-after,
#   - resident memory did not grow (last samples against the samples after warm-up),
#   - the process wrote no file but the unit file (every write-like call is traced).
#   scripts/soak.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

if [[ -z "${TAVRINO_SOAK_INNER:-}" ]]; then
    scripts/install-deps.sh soak
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino >/dev/null
    TAVRINO_SOAK_INNER=1 exec tests/support/with-display.sh --wm "$0" "$seconds"
fi

work=$(mktemp -d)
trap 'kill "${mutator_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
root=$work/power_supply
devices=$work/devices
mkdir -p "$root" "$devices" "$work/home"

write_battery() {  # name energy_now_uwh power_now_uw
    local dir=$devices/$1
    mkdir -p "$dir"
    printf 'POWER_SUPPLY_NAME=%s\nPOWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_PRESENT=1\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\nPOWER_SUPPLY_POWER_NOW=%s\nPOWER_SUPPLY_ENERGY_FULL_DESIGN=60000000\nPOWER_SUPPLY_ENERGY_FULL=55200000\nPOWER_SUPPLY_ENERGY_NOW=%s\nPOWER_SUPPLY_CAPACITY=64\nPOWER_SUPPLY_MODEL_NAME=Soak %s\n' \
        "$1" "$3" "$2" "$1" >"$dir/uevent.new"
    rm -rf "$dir/uevent"
    mv "$dir/uevent.new" "$dir/uevent"
    ln -sfn "$dir" "$root/$1"
}
write_adapter() {
    mkdir -p "$devices/AC"
    printf 'POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=%s\n' "$1" \
        >"$devices/AC/uevent"
    ln -sfn "$devices/AC" "$root/AC"
}
write_battery BAT0 35328000 12480000
write_adapter 0

# The companion: one random change every ~0.3 s.
mutate() {
    set +e  # a change that fails (a race with the reader is fine) must not end the loop
    local i=0
    while true; do
        i=$((i + 1))
        case $((RANDOM % 9)) in
            0) write_battery BAT1 $((RANDOM * 1000)) $((RANDOM * 500)) ;;
            1) rm -f "$root/BAT1" ;;
            2) rm -rf "$devices/BAT0/uevent"
               printf 'POWER_SUPPLY_ENERGY_NOW=garbage\x01\xff\nPOWER_SUPPLY_TYPE=Battery\n' \
                   >"$devices/BAT0/uevent" ;;
            3) rm -rf "$devices/BAT0/uevent" && mkfifo "$devices/BAT0/uevent" ;;
            4) rm -rf "$devices/BAT0/uevent" && mkdir "$devices/BAT0/uevent" ;;
            5) mv "$root" "$root.away" && sleep 0.5 && mv "$root.away" "$root" ;;
            6) write_adapter $((RANDOM % 3)) ;;
            7) rm -rf "$devices/BAT0/energy_now"
               head -c 200000 /dev/urandom >"$devices/BAT0/energy_now" ;;
            *) write_battery BAT0 $((30000000 + i * 1000)) $((10000000 + RANDOM)) ;;
        esac
        sleep 0.3
    done
}

export HOME=$work/home
unset XDG_CONFIG_HOME TAVRINO_CONFIG_HOME
strace -f -qq -o "$work/trace" \
    -e trace=open,openat,creat,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,truncate \
    build/src/tavrino --sysfs-root="$root" --quit-after="$seconds" &
pid=$!
# strace's child is the program; find it.
for _ in $(seq 100); do
    app=$(pgrep -P "$pid" -x tavrino || true)
    [[ -n "$app" ]] && break
    sleep 0.1
done
[[ -n "$app" ]] || { echo "soak: the program did not start"; exit 1; }

mutate &
mutator_pid=$!

rss_samples=()
end=$((SECONDS + seconds - 20))
while ((SECONDS < end)); do
    rss_samples+=("$(awk '/^VmRSS:/ {print $2}' "/proc/$app/status")")
    sleep 10
done
kill "$mutator_pid" 2>/dev/null || true
wait "$mutator_pid" 2>/dev/null || true

# The window still updates: a steady tree, a screenshot, a change, another screenshot.
write_battery BAT0 35328000 12480000
rm -f "$root/BAT1"
sleep 5
import -window root "$work/before.png"
write_battery BAT0 11111000 22220000
sleep 5
import -window root "$work/after.png"
changed=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)

set +e
wait "$pid"
status=$?
set -e

failures=0
echo "exit status: $status"
[[ $status -eq 0 ]] || failures=$((failures + 1))
echo "pixels changed by the last update: $changed"
[[ "$changed" =~ ^[0-9]+$ && $changed -gt 0 ]] || failures=$((failures + 1))

n=${#rss_samples[@]}
echo "resident memory samples (KiB): ${rss_samples[*]}"
if ((n >= 6)); then
    third=$((n / 3))
    early=0
    late=0
    for ((k = third; k < 2 * third; k++)); do early=$((early + rss_samples[k])); done
    for ((k = n - third; k < n; k++)); do late=$((late + rss_samples[k])); done
    early=$((early / third))
    late=$((late / third))
    echo "resident memory: $early KiB after warm-up, $late KiB at the end"
    # Allocator noise is a few hundred KiB; steady growth over minutes is far more.
    ((late - early <= 1024)) || { echo "resident memory grew"; failures=$((failures + 1)); }
fi

# Every write-like call must touch the unit file or nothing at all.
writes=$(grep -E 'O_WRONLY|O_RDWR|O_CREAT|creat\(|mkdir|rename|unlink|truncate' "$work/trace" \
    | grep -v -E '= -1 ' | grep -v -E '/\.config/tavrino/unit' || true)
if [[ -n "$writes" ]]; then
    echo "the program wrote outside the unit file:"
    echo "$writes" | head -n 20
    failures=$((failures + 1))
else
    echo "files written: none but the unit file"
fi

[[ $failures -eq 0 ]] || { echo "soak failed: $failures check(s)"; exit 1; }
echo "soak passed"
