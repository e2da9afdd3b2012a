#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing and builds the Debian package from a copy of this tree in
# build-deb/, where the .deb ends up. The package build runs the core tests;
# DEB_BUILD_OPTIONS=nocheck skips them (and GoogleTest is then not needed).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh package

version=$(dpkg-parsechangelog -SVersion)
upstream=$(sed -n 's/^project(tavrino VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
if [[ ${version%-*} != "$upstream" ]]; then
    echo "debian/changelog is at $version but the project at $upstream: add an entry" >&2
    exit 1
fi
out=build-deb
rm -rf "$out"
mkdir -p "$out/tavrino-${version%-*}"
# The tree as it is, without build folders and git's data.
tar --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$out/tavrino-${version%-*}"
# nocheck also drops GoogleTest from the build dependencies that dpkg-buildpackage checks.
profiles=()
[[ " ${DEB_BUILD_OPTIONS:-} " == *" nocheck "* ]] && profiles=(-Pnocheck)
(cd "$out/tavrino-${version%-*}" && dpkg-buildpackage -us -uc -b -j"$(nproc)" "${profiles[@]}")

deb=$(ls "$out"/tavrino_"${version}"_*.deb)
echo "Built $deb"
echo "Install it with: sudo apt install ./$deb"
