// The trace driver's state behind its eight entry points: the maker's driver
// it passes the calls to, the ring and file it records them in, and the live
// section it publishes the ports in. Everything starts at the first call
// (nothing may be loaded from DllMain) and ends when the trace driver is
// unloaded.
#pragma once

#include <stdint.h>

#include "board/tovel_api.h"
#include "tracer/call_record.h"

// The maker's entry points, all bound, or null when the maker's driver could
// not be loaded or lacks one: then the trace driver is a driver with no board.
const TovelEntries* Maker();

// A call as it returned; `record` has its entry, slot, port, value and result.
void RecordCall(CallRecord record);

// The unload: the writer stopped, the ring written out, the file closed, the
// maker's driver freed (not when the process is ending: then only the file).
void EndTracing(bool processEnding);
