// The simulated driver with the trace driver in front of it, as a user
// installs the trace driver in front of the board maker's: the runs that set
// KORVU_TRACE_DRIVER=1 load bin/drivers/traced-<variant>/tovel.dll, which
// passes every call to the simulated driver beside it, tovel_maker.dll, and
// records it; the trace driver's file must hold, call for call, the
// transfers the simulated driver saw (sim/driver/trace_comparison.h).
#pragma once

#include <string>

// True when this run puts the trace driver in front of the variant (a whole
// driver: one that lacks an entry point is loaded as it is, since the trace
// driver would stand in for it with all eight).
bool TracedRun(const char* variant);

// The trace driver's settings for a run held against its file: a ring that
// loses nothing (a full one makes the call wait), written out often.
std::string TracedSettings(const std::string& traceFile);

// The folder of the traced variant, its trace driver told to write `traceFile`.
std::string PrepareTracedFolder(const char* variant, const std::string& traceFile);
// The trace file of a test's traced run: in the temporary folder, removed
// when it held every transfer.
std::string TracedCsvPath();
