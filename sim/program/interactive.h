#pragma once

#include "sim/program/host_session.h"

// The host window as a bench for a person: modules placed from the plug-in's
// menu through its real dialogs, a run started, paused and stopped from the
// "Bench" menu on the wall clock, the board panel and the live view. With a
// bench file, that bench first; a malformed one is refused before the window
// opens (1). Returns when the window is closed.
int RunInteractive(HostSession& session, const HostOptions& options);
