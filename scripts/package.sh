#!/usr/bin/env bash
# Builds everything and makes the release package (a ZIP under build/package/),
# then lists what is in it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
korvu_build || exit 1
cmake --build "$KORVU_BUILD" --target package >"$KORVU_BUILD.package.log" 2>&1 \
    || { cat "$KORVU_BUILD.package.log"; exit 1; }
zip=$(ls "$KORVU_BUILD"/package/Korvu_ux1-*-win32.zip)
echo "package: $zip"
python3 -c 'import sys, zipfile; [print("  " + n) for n in zipfile.ZipFile(sys.argv[1]).namelist()]' "$zip"
