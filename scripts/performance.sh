#!/usr/bin/env bash
# Every figure of docs/performance.md, measured in one run on this machine:
#   1. the live pass, cached and with a rescan, against a raw stat-and-read loop, per supply
#      at 3, 10 and 100 supplies (bench/acquisition_bench.cpp);
#   2. system calls of the reader thread per supply and pass, traced on the real program;
#   3. the reading view and a steady render, with the widget changes it makes (zero);
#   4. CPU per minute and resident memory against a bare window, and start-up time
#      (scripts/measure_process.sh).
#   scripts/performance.sh [SECONDS_FOR_STEP_4]   (default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}

if [[ -z "${TAVRINO_PERF_INNER:-}" ]]; then
    scripts/install-deps.sh test
    scripts/install-deps.sh soak  # strace
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino acquisition_bench presentation_bench \
        bare_window first_snapshot_probe >/dev/null
    TAVRINO_PERF_INNER=1 exec tests/support/with-display.sh --wm "$0" "$seconds"
fi

echo "machine: $(nproc) cores, $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== 1. live pass per supply, medians of 5, against the raw loop"
build/bench/acquisition_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
runs = {}
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name, size = b["run_name"].split("/")
        runs[(name, int(size))] = b["per_supply"]
print("supplies  raw loop/supply  cached pass/raw  rescan pass/raw")
for size in (3, 10, 100):
    raw = runs[("BM_RawLoop", size)]
    print("%8d  %12.2f us  %15.2f  %15.2f" % (size, raw * 1e6,
          runs[("BM_CachedPass", size)] / raw, runs[("BM_Rescan", size)] / raw))
'

echo
echo "== 2. reader thread system calls per supply and cached pass (10 supplies, traced)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/power_supply" "$work/devices"
add_supply() {  # name uevent-text
    mkdir -p "$work/devices/$1"
    printf '%b' "$2" >"$work/devices/$1/uevent"
    ln -s "../devices/$1" "$work/power_supply/$1"
}
add_supply AC 'POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=1\n'
for i in $(seq 0 8); do
    add_supply "BAT$i" 'POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_PRESENT=1\nPOWER_SUPPLY_TECHNOLOGY=Li-ion\nPOWER_SUPPLY_CYCLE_COUNT=142\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\nPOWER_SUPPLY_POWER_NOW=12480000\nPOWER_SUPPLY_CURRENT_NOW=1040000\nPOWER_SUPPLY_ENERGY_FULL_DESIGN=60000000\nPOWER_SUPPLY_ENERGY_FULL=55200000\nPOWER_SUPPLY_ENERGY_NOW=35328000\nPOWER_SUPPLY_CHARGE_FULL_DESIGN=5000000\nPOWER_SUPPLY_CHARGE_FULL=4600000\nPOWER_SUPPLY_CHARGE_NOW=2944000\nPOWER_SUPPLY_CAPACITY=64\nPOWER_SUPPLY_MODEL_NAME=Cell\nPOWER_SUPPLY_MANUFACTURER=Maker\nPOWER_SUPPLY_SCOPE=System\n'
done
HOME=$work strace -f -qq -o "$work/trace" \
    -e trace=openat,open,read,newfstatat,fstat,statx,lstat,stat,getdents64 \
    build/src/tavrino --sysfs-root="$work/power_supply" --quit-after=25 >/dev/null 2>&1
python3 - "$work/trace" "$work/power_supply" <<'PY'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
root = sys.argv[2]
# The reader thread is the one that opens the supplies' uevent files.
reader = next(l.split()[0] for l in lines if "/AC/uevent" in l and "openat" in l)
mine = [l.split(None, 1)[1] for l in lines if l.split()[0] == reader]
starts = [i for i, l in enumerate(mine) if l.startswith("openat") and "/AC/uevent" in l]
# The first pass scans (AC's uevent is opened twice); later passes walk the cached list and
# open it once each. Count whole cached passes only.
first, last = starts[2], starts[-1]
passes = len(starts) - 3
calls = {}
for l in mine[first:last]:
    name = l.split("(", 1)[0]
    kind = {"openat": "opens", "open": "opens", "read": "reads", "getdents64": "listings"}.get(
        name, "status queries")
    calls[kind] = calls.get(kind, 0) + 1
print("cached passes traced: %d" % passes)
for kind in ("status queries", "opens", "reads", "listings"):
    print("%-15s %.2f per supply per pass" % (kind, calls.get(kind, 0) / passes / 10))
PY

echo
echo "== 3. rendering (CPU time, medians of 3)"
build/bench/presentation_bench --benchmark_min_time=0.5 --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '_median|^Benchmark|^-'

echo
echo "== 4. the running program against a bare window"
TAVRINO_MEASURE_INNER=1 scripts/measure_process.sh "$seconds"
