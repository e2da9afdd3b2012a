#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Instructions per supply of the live pass against its floor (bench/floor_loop.h: a plain
# loop making the same system calls and look-ups), cached and with a rescan, at 3, 10 and
# 100 supplies, counted by callgrind in one run. Instruction counts, unlike times, hold
# steady on a loaded machine; kernel time is not in them.
#   scripts/instruction_counts.sh [BUILD_DIR] [PASSES]   (defaults: build, 20)
# The build directory must hold bench/instruction_count (scripts/performance.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
passes=${2:-20}
program=$build/bench/instruction_count
[[ -x $program ]] || { echo "no $program: build the instruction_count target" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "no valgrind: scripts/install-deps.sh perf" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions of count_KIND (the measured passes only) per supply and pass.
per_supply() {  # kind supplies
    local out=$work/$1.$2
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="count_${1//-/_}" \
        "$program" "$1" "$2" "$passes" 2>"$out.log" || { cat "$out.log" >&2; exit 1; }
    awk -v n="$(($2 * passes))" '/^totals:/ { printf "%.0f\n", $2 / n }' "$out"
}

echo "instructions per supply and pass (callgrind, $passes passes after a warm-up)"
printf '%8s  %10s  %12s  %5s  %12s  %12s  %5s\n' supplies floor "cached pass" ratio \
    "floor rescan" "rescan pass" ratio
for size in 3 10 100; do
    floor=$(per_supply floor "$size")
    cached=$(per_supply cached "$size")
    floor_rescan=$(per_supply floor-rescan "$size")
    rescan=$(per_supply rescan "$size")
    awk -v s="$size" -v f="$floor" -v c="$cached" -v fr="$floor_rescan" -v r="$rescan" \
        'BEGIN { printf "%8d  %10d  %12d  %5.2f  %12d  %12d  %5.2f\n", s, f, c, c / f, fr, r, r / fr }'
done
