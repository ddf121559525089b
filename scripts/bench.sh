#!/usr/bin/env bash
# Builds everything and runs every benchmark under Wine, printing their figures.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$KORVU_ROOT/scripts/wine-session.sh"

korvu_build || exit 1
wine_session_start "$KORVU_BUILD" || exit 1

status=0
for bench in "$KORVU_BUILD"/bin/*_bench.exe; do
    echo "== $(basename "$bench" .exe)"
    wine "$bench" || status=1
    echo
done
exit $status
