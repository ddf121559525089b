#!/usr/bin/env bash
# Builds the plug-in and the host program (not the tests: a minute or two,
# where everything takes several) and runs the plug-in in the host simulator
# against the simulated board, printing what happened.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$KORVU_ROOT/scripts/wine-session.sh"

korvu_build korvu_host || exit 1
wine_session_start "$KORVU_BUILD" || exit 1

wine "$KORVU_BUILD/bin/korvu_host.exe" "$@"
