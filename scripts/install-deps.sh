#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian/Ubuntu packages that are missing, and nothing else:
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   that, plus what the tests and the benchmarks need, a small
#                          font with Chinese and Japanese glyphs, and the locales the
#                          tests run the program in (UTF-8, and one German ISO-8859-1)
#   install-deps.sh fuzz   that, plus clang for the libFuzzer targets
#   install-deps.sh package  that, plus debhelper, and GoogleTest unless DEB_BUILD_OPTIONS
#                          holds nocheck: what scripts/package.sh needs
#   install-deps.sh soak   that, plus what the long soak run needs
#   install-deps.sh perf   what the tests need, plus what scripts/performance.sh needs
# When everything is present this only asks dpkg, which takes a moment.
set -euo pipefail

run_packages=(build-essential cmake pkg-config libgtk-3-dev gettext)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth openbox xdotool wmctrl
               x11-utils weston desktop-file-utils appstream groff-base
               dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 locales
               fonts-wqy-microhei)
# libclang-rt-dev is the runtime (libFuzzer, the sanitizers) of the release's default clang.
fuzz_packages=(clang libclang-rt-dev)
package_packages=(debhelper dpkg-dev)
soak_packages=(xvfb xauth openbox x11-utils imagemagick strace procps)
perf_packages=(strace valgrind)

case "${1:-run}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
    fuzz) wanted=("${run_packages[@]}" "${fuzz_packages[@]}") ;;
    package)
        wanted=("${run_packages[@]}" "${package_packages[@]}")
        [[ " ${DEB_BUILD_OPTIONS:-} " == *" nocheck "* ]] || wanted+=(libgtest-dev)
        ;;
    soak) wanted=("${run_packages[@]}" "${soak_packages[@]}") ;;
    perf) wanted=("${run_packages[@]}" "${test_packages[@]}" "${perf_packages[@]}") ;;
    *) echo "usage: $0 run|test|fuzz|package|soak|perf" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ ${1:-run} == test ]]; then
    for locale in de_DE fr_FR es_ES ru_RU ja_JP; do
        if ! locale -a | grep -qx "$locale.utf8"; then
            echo "Generating the $locale.UTF-8 locale"
            "${sudo_cmd[@]}" localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
        fi
    done
    # The translated window must stay readable where the locale's character set is not UTF-8.
    if ! locale -a | grep -qx de_DE.iso88591; then
        echo "Generating the de_DE.ISO-8859-1 locale"
        "${sudo_cmd[@]}" localedef -i de_DE -f ISO-8859-1 de_DE.ISO-8859-1
    fi
fi
