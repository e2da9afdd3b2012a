#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that are missing, and nothing else:
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   that, plus what the tests, the benchmarks and the fuzzers need
# When everything is present this only asks dpkg, which takes a moment.
set -euo pipefail

run_packages=(build-essential cmake pkg-config libgtk-3-dev)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth openbox xdotool wmctrl
               x11-utils weston)

case "${1:-run}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
