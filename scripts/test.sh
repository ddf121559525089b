#!/usr/bin/env bash
# Builds everything and runs every test under Wine, on a private Xvfb.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$KORVU_ROOT/scripts/wine-session.sh"

korvu_build || exit 1
# The second compiler first, so that CTest's counts close the output.
bash "$KORVU_ROOT/scripts/clang-build.sh" || exit 1
mkdir -p "$KORVU_BUILD"
wine_session_start "$KORVU_BUILD" || exit 1

cd "$KORVU_BUILD"
# One program at a time: the dialog tests share the one display and its focus.
ctest --output-on-failure --timeout 1500 "$@"
