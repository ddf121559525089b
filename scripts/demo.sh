#!/usr/bin/env bash
# Builds the plug-in and runs it in the host simulator against the simulated
# board, printing what happened.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$KORVU_ROOT/scripts/wine-session.sh"

korvu_build || exit 1
wine_session_start "$KORVU_BUILD" || exit 1

wine "$KORVU_BUILD/bin/korvu_host.exe" "$@"
