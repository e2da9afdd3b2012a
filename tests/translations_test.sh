#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Catches a stale template, a source file with marked texts left out of po/POTFILES, and a catalogue that is incomplete, fuzzy or whose formats do not match.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# The template as `cmake --build build --target tavrino-pot` writes it, but for its date.
po/make-pot.sh "$scratch/tavrino.pot"
if ! diff <(grep -v '^"POT-Creation-Date:' po/tavrino.pot) \
          <(grep -v '^"POT-Creation-Date:' "$scratch/tavrino.pot"); then
    echo "po/tavrino.pot is stale: cmake --build build --target tavrino-pot"
    failures=$((failures + 1))
fi
if ! diff <(grep -rlE '\b(N|C|NC)?_\("' src | sort) <(grep '^src/' po/POTFILES | sort); then
    echo "po/POTFILES does not list exactly the source files with marked texts"
    failures=$((failures + 1))
fi

# msgfmt checks formats and headers; msgcmp fails on a message of the template that is
# missing, untranslated or fuzzy in the catalogue.
for language in $(cat po/LINGUAS); do
    msgfmt --check --statistics -o /dev/null "po/$language.po" || failures=$((failures + 1))
    msgcmp "po/$language.po" po/tavrino.pot || failures=$((failures + 1))
done

[[ $failures -eq 0 ]] || { echo "$failures translation check(s) failed"; exit 1; }
