// The simulated driver with the trace driver in front of it, as a user
// installs the trace driver in front of the board maker's: the runs that set
// KORVU_TRACE_DRIVER=1 load bin/drivers/traced-<variant>/tovel.dll, which
// passes every call to the simulated driver beside it, tovel_maker.dll, and
// records it. When the trace driver is unloaded its file must hold, call for
// call, the transfers the simulated driver saw.
#pragma once

#include <string>
#include <vector>

#include "sim/tovel/tovel_sim.h"

// True when this run puts the trace driver in front of the variant (a whole
// driver: one that lacks an entry point is loaded as it is, since the trace
// driver would stand in for it with all eight).
bool TracedRun(const char* variant);

// The folder of the traced variant, its trace driver told where to write.
std::string PrepareTracedFolder(const char* variant);
std::string TracedCsvPath();

// Empty when the trace file holds the simulated driver's transfers call for
// call, in each thread's order (slot, port, direction, value, result, and the
// error code the caller asked for after a failed one); else the first
// difference.
std::string CompareTrace(const std::string& csvPath, const std::vector<TovelSimTransfer>& transfers,
                         uint32_t droppedBySimulator);
