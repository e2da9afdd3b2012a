#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots from the demo scenarios, under a private Xvfb with openbox:
# docs/screenshots/expanded.png, compact.png and multiple.png, and both pages in each
# translation, expanded-LL.png and compact-LL.png.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${TAVRINO_SHOTS_INNER:-}" ]]; then
    scripts/install-deps.sh test
    dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'install ok installed' ||
        { echo "screenshots need imagemagick: apt-get install imagemagick" >&2; exit 1; }
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)" --target tavrino >/dev/null
    TAVRINO_SHOTS_INNER=1 exec tests/support/with-display.sh --wm "$0"
fi

out=docs/screenshots
mkdir -p "$out"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
# No LANGUAGE: it would outrank LC_ALL, even C.UTF-8.
unset LANGUAGE
export TAVRINO_CONFIG_HOME=$config LC_ALL=C.UTF-8

# shot NAME SETTLE_ACTION ARGS...: starts the program, waits for its window to settle,
# runs the action (may be empty), and saves the window with its frame.
shot() {
    local name=$1 action=$2
    shift 2
    build/src/tavrino --quit-after=60 "$@" &
    local pid=$! win=""
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | tail -n1 || true)
        [[ -n "$win" ]] && break
        sleep 0.1
    done
    [[ -n "$win" ]] || { echo "no window for $name" >&2; exit 1; }
    sleep 3  # the first snapshot and, for the strip, the shrink to its size
    if [[ -n "$action" ]]; then
        xdotool windowactivate --sync "$win"
        $action
        sleep 1
    fi
    import -frame -window "$win" "$out/$name.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$out/$name.png"
}


shot expanded "" --demo=sample-1
shot compact "" --demo=charging --compact
shot multiple "" --demo=multiple
# install-deps.sh test generates these locales.
for locale in de_DE fr_FR es_ES; do
    LC_ALL=$locale.UTF-8 shot "expanded-${locale%_*}" "" --demo=sample-1
    LC_ALL=$locale.UTF-8 shot "compact-${locale%_*}" "" --demo=charging --compact
done
