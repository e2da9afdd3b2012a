#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every figure of docs/performance.md, measured in one run on this machine:
#   1. instructions per supply of the live pass, cached and with a rescan, against its floor
#      (a plain loop making the same system calls and look-ups), at 3, 10 and 100 supplies,
#      counted by callgrind (scripts/instruction_counts.sh);
#   2. the same passes timed (bench/acquisition_bench.cpp);
#   3. system calls of the reader thread per supply and pass, traced on the real program;
#   4. the reading view and a steady render, with the widget changes it makes (zero);
#   5. wake-ups per tick against a threaded stand-in (scripts/wakeups.sh, 60 s);
#   6. CPU per minute and resident memory against the stand-in, and start-up time
#      (scripts/measure_process.sh).
#   scripts/performance.sh [SECONDS_FOR_STEP_6]   (default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}

if [[ -z "${TAVRINO_PERF_INNER:-}" ]]; then
    scripts/install-deps.sh perf
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino acquisition_bench instruction_count \
        presentation_bench bare_window first_snapshot_probe >/dev/null
    TAVRINO_PERF_INNER=1 exec tests/support/with-display.sh --wm "$0" "$seconds"
fi

echo "machine: $(nproc) cores, $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== 1. instructions per supply of the live pass against its floor"
scripts/instruction_counts.sh build

echo
echo "== 2. time per supply of the live pass against its floor, medians of 5"
# Interleaved, so that a burst of load from other work does not land on one benchmark alone.
build/bench/acquisition_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, sys
runs = {}
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name, size = b["run_name"].split("/")
        runs[(name, int(size))] = b["per_supply"]
print("supplies  floor/supply  cached/floor  floor rescan/supply  rescan/floor rescan")
for size in (3, 10, 100):
    floor, floor_rescan = runs[("BM_FloorPass", size)], runs[("BM_FloorRescan", size)]
    print("%8d  %9.2f us  %12.2f  %16.2f us  %19.2f" % (size, floor * 1e6,
          runs[("BM_CachedPass", size)] / floor, floor_rescan * 1e6,
          runs[("BM_Rescan", size)] / floor_rescan))
'

echo
echo "== 3. reader thread system calls per supply and cached pass (10 supplies, traced)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=scripts/floor_tree.sh
source scripts/floor_tree.sh
lay_floor_tree "$work" 10
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
    if kind == "opens" and "ENOENT" in l:
        kind = "failed opens"  # an attribute missing from uevent, tried as a single file
    calls[kind] = calls.get(kind, 0) + 1
print("cached passes traced: %d" % passes)
for kind in ("status queries", "opens", "failed opens", "reads", "listings"):
    print("%-15s %.2f per supply per pass" % (kind, calls.get(kind, 0) / passes / 10))
PY

echo
echo "== 4. rendering (CPU time, medians of 3)"
build/bench/presentation_bench --benchmark_min_time=0.5 --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '_median|^Benchmark|^-'

echo
echo "== 5. wake-ups against the threaded stand-in (3 supplies)"
TAVRINO_WAKEUPS_INNER=1 scripts/wakeups.sh 60

echo
echo "== 6. the running program against the threaded stand-in"
TAVRINO_MEASURE_INNER=1 scripts/measure_process.sh "$seconds"
