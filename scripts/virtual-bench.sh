#!/usr/bin/env bash
# Opens the virtual bench on your own display: the host window with the
# plug-in's menu, a run you start, pause and stop, the board panel and the
# live view. Options go to korvu_host (--ini FILE, --bench FILE, ...).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$KORVU_ROOT/scripts/wine-session.sh"

korvu_build korvu_host || exit 1
KORVU_OWN_DISPLAY=1 wine_session_start "$KORVU_BUILD" || exit 1
wine "$KORVU_BUILD/bin/korvu_host.exe" --interactive "$@"
