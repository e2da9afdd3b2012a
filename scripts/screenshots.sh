#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots from the demo scenarios, under a private Xvfb with openbox:
# docs/screenshots/expanded.png, compact.png and multiple.png, and both pages in each
# language of po/LINGUAS, expanded-LL.png and compact-LL.png.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# locale_of LL: the UTF-8 locale a language is photographed in: LL itself when it names a
# country (pt_BR), else LL_LL (de_DE) where glibc has it, else its first (uk_UA, ja_JP).
locale_of() {
    local supported=/usr/share/i18n/SUPPORTED
    if [[ $1 == *_* ]]; then
        echo "$1"
    elif grep -q "^${1}_${1^^}\.UTF-8 " "$supported"; then
        echo "${1}_${1^^}"
    else
        grep -m1 -o "^${1}_[A-Z]*\.UTF-8 " "$supported" | cut -d. -f1
    fi
}

if [[ -z "${TAVRINO_SHOTS_INNER:-}" ]]; then
    scripts/install-deps.sh test
    # install-deps.sh makes only the locales the tests use.
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    for language in $(cat po/LINGUAS); do
        locale=$(locale_of "$language")
        [[ -n "$locale" ]] || { echo "no glibc locale for $language" >&2; exit 1; }
        locale -a | grep -qx "$locale.utf8" ||
            "${sudo_cmd[@]}" localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
    done
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
for language in $(cat po/LINGUAS); do
    locale=$(locale_of "$language").UTF-8
    LC_ALL=$locale shot "expanded-$language" "" --demo=sample-1
    LC_ALL=$locale shot "compact-$language" "" --demo=charging --compact
done
