#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: the core
# tests without a display, the widget and whole-program tests under private Xvfb displays.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRINO_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
