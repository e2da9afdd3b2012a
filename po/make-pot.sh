#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the translation template from the files listed in po/POTFILES: make-pot.sh OUTPUT
# References name files only: a line number would make the template stale at every edit.
# Keywords are listed in full so that the desktop entry's Name, the product name, is left
# out; comments tagged TRANSLATORS: go to the translators.
set -euo pipefail
output=$(realpath -m "$1")
cd "$(dirname "$0")/.."
xgettext --from-code=UTF-8 --add-comments=TRANSLATORS: --package-name=tavrino \
    --copyright-holder="Tavrino developers" \
    --keyword --keyword=_ --keyword=N_ --keyword=C_:1c,2 --keyword=NC_:1c,2 \
    --keyword=GenericName --keyword=Comment --keyword=Keywords \
    --add-location=file --files-from=po/POTFILES --output="$output"
