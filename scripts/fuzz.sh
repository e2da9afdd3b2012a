#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time:
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
# New inputs go to build-fuzz/corpus/NAME, seeded from fuzz/corpus/NAME; the committed
# seeds are never modified. A crash, leak, hang (over 5 s on one input) or an input that
# needs more than 2 GiB fails the run, and libFuzzer leaves the input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTAVRINO_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(sed -n 's/^tavrino_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$(nproc)" --target $targets

for target in $targets; do
    name=${target%_fuzz}
    work=build-fuzz/corpus/$name
    mkdir -p "$work"
    echo "fuzzing $target for ${seconds}s"
    (cd build-fuzz && ./fuzz/"$target" -max_total_time="$seconds" -timeout=5 \
        -rss_limit_mb=2048 -print_final_stats=1 "corpus/$name" "../fuzz/corpus/$name" \
        2>"$target.log") || { tail -n 60 "build-fuzz/$target.log"; exit 1; }
    grep -E '^stat::number_of_executed_units' "build-fuzz/$target.log" || true
done
echo "fuzzing finished: no crash, leak or hang"
