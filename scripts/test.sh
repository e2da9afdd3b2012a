#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds with warnings as errors, and runs every test: the core
# tests without a display, the widget and whole-program tests under private Xvfb displays.
# The suite runs three times: under AddressSanitizer with UndefinedBehaviorSanitizer
# (build-asan, every test), under ThreadSanitizer (build-tsan, the threading, core and
# end-to-end tests) and plain (build, last, so the output ends with its summary).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
jobs=$(nproc)

configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRINO_WERROR=ON "$@" >/dev/null
}

configure build
cmake --build build -j "$jobs"

# A sanitizer failure does not stop the script: the plain run still comes last, and the
# exit status reports every failure.
failed=()
configure build-asan -DTAVRINO_SANITIZE=address -DTAVRINO_BENCHMARKS=OFF
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs" || failed+=("address")

configure build-tsan -DTAVRINO_SANITIZE=thread -DTAVRINO_BENCHMARKS=OFF
cmake --build build-tsan -j "$jobs"
ctest --test-dir build-tsan --output-on-failure --no-tests=error -j "$jobs" -L 'threading|core|end-to-end' ||
    failed+=("thread")

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "Sanitizer runs with failures: ${failed[*]}"
fi
status=0
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs" || status=$?
if [[ ${#failed[@]} -gt 0 && $status -eq 0 ]]; then
    status=1
fi
exit $status
