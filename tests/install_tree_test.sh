#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary DESTDIR and checks the tree, its metadata, and that the
# installed capture tool writes an archive and says how to replay it.
# usage: install_tree_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build_dir" --prefix /usr >/dev/null

failures=0
expect_file() {
    if [[ ! -f "$dest/usr/$1" ]]; then
        echo "missing: /usr/$1"
        failures=$((failures + 1))
    fi
}
expect_file bin/tavrino
expect_file share/applications/tavrino.desktop
expect_file share/metainfo/org.tavrino.tavrino.metainfo.xml
expect_file share/icons/hicolor/scalable/apps/tavrino.svg
expect_file share/icons/hicolor/symbolic/apps/tavrino-symbolic.svg
expect_file share/man/man1/tavrino.1
expect_file bin/tavrino-capture
expect_file share/man/man1/tavrino-capture.1
[[ -x "$dest/usr/bin/tavrino" ]] || { echo "not executable: /usr/bin/tavrino"; failures=$((failures + 1)); }

desktop-file-validate "$dest/usr/share/applications/tavrino.desktop" || failures=$((failures + 1))
# The metainfo, checked as lintian does (the whole tree). The project has no homepage and never
# names an invented one, so AppStream 1.0's validator warns url-homepage-missing (older ones
# do not); any other warning or error fails. Lines are indented under the file's name.
homepage_missing='W: org.tavrino.tavrino:~: url-homepage-missing'
validation=$(appstreamcli validate-tree --no-net "$dest" 2>&1) && valid=1 || valid=0
reported=$(sed -n 's/^ *\([EW]: \)/\1/p' <<<"$validation")
if grep -vqxF -e "$homepage_missing" -e "" <<<"$reported" ||
    { [[ $valid -eq 0 ]] && ! grep -qxF "$homepage_missing" <<<"$reported"; }; then
    echo "$validation"
    failures=$((failures + 1))
fi
# The metainfo's launchable must name the installed entry, and the release the version.
grep -q '<launchable type="desktop-id">tavrino.desktop</launchable>' \
    "$dest/usr/share/metainfo/org.tavrino.tavrino.metainfo.xml" || failures=$((failures + 1))
version=$("$dest/usr/bin/tavrino" --version)
grep -q "<release version=\"${version#Tavrino }\"" \
    "$dest/usr/share/metainfo/org.tavrino.tavrino.metainfo.xml" \
    || { echo "metainfo release is not $version"; failures=$((failures + 1)); }
# The man pages render without warnings.
for page in tavrino tavrino-capture; do
    if ! groff -man -Tutf8 -ww -z "$dest/usr/share/man/man1/$page.1" 2>&1 | { ! grep .; }; then
        failures=$((failures + 1))
    fi
done

# The capture tool archives a case tree in the folder it is given and says how to replay it.
tree=$(realpath "$(dirname "$0")/cases/two-batteries/power_supply")
printed=$(cd / && "$dest/usr/bin/tavrino-capture" --root="$tree" --output "$dest") ||
    printed="failed: $printed"
name=$(sed -n 's/^Wrote .*\/\(tavrino-capture-[0-9-]*\)\.tar\.gz: .*/\1/p' <<<"$printed")
replay="  tar -xzf $dest/$name.tar.gz && tavrino --sysfs-root=$name/sys/class/power_supply"
if ! tar -tzf "$dest/$name.tar.gz" | grep -qx "$name/sys/class/power_supply/BAT1" ||
    ! grep -qxF "$replay" <<<"$printed"; then
    echo "capture: $printed"
    failures=$((failures + 1))
fi
# A folder missing after --root is a usage error (2), never a capture; --version succeeds.
"$dest/usr/bin/tavrino-capture" --version >/dev/null || failures=$((failures + 1))
status=0
"$dest/usr/bin/tavrino-capture" --root 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "capture: --root without a folder gave $status"; failures=$((failures + 1)); }
# With no private folder to stage in it fails (1), and leaves no archive behind.
status=0
TMPDIR="$dest/missing" "$dest/usr/bin/tavrino-capture" --root="$tree" --output "$dest" 2>/dev/null ||
    status=$?
if [ "$status" -ne 1 ] || [ "$(ls "$dest"/*.tar.gz | wc -l)" -ne 1 ]; then
    echo "capture: without a TMPDIR it gave $status"
    failures=$((failures + 1))
fi

# The installed program prints a case without a display, in the locale's language.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u LANGUAGE)
if ! "${no_display[@]}" LC_ALL=C.UTF-8 "$dest/usr/bin/tavrino" --print --sysfs-root="$tree" |
    cmp -s - "$(dirname "$0")/cases/two-batteries/print.txt"; then
    echo "--print of the installed program differs from the case's print.txt"
    failures=$((failures + 1))
fi
german=$(sed -n '/^msgid "Battery charging"$/{n;s/^msgstr //p}' "$(dirname "$0")/../po/de.po")
if ! "${no_display[@]}" LC_ALL=de_DE.UTF-8 "$dest/usr/bin/tavrino" --print=json --demo=charging |
    grep -qF "\"caption\":$german"; then
    echo "--print=json of the installed program is not in German"
    failures=$((failures + 1))
fi

[[ $failures -eq 0 ]] || { echo "$failures install check(s) failed"; exit 1; }
echo "install tree ok"
