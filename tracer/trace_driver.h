// The trace driver's state behind its entry points: the maker's driver it
// passes the calls to, the recording of them, and the live section it
// publishes the ports in. Everything starts at the first call (nothing may be
// loaded from DllMain) and ends when the trace driver is unloaded.
#pragma once

#include <stdint.h>

#include "board/tovel_api.h"
#include "tracer/call_record.h"

// The maker's entry points, all bound, or null when the maker's driver could
// not be loaded, lacks one, or leads back into a trace driver: then the
// trace driver is a driver with no board.
const TovelEntries* Maker();

// A call as it returned; `record` has its entry, slot, port, value and result.
void RecordCall(CallRecord record);

// A call came back into this trace driver from inside another's (`outer`);
// it is answered as by a driver with no board.
void RefuseCallFromInside(void* outer);
// The maker's driver, called, came back into a trace driver (`inner`): it is
// not called again, and every call from now on gives 0.
void RefuseChain(void* inner);

// The maker's driver and the trace file, for a host that says what it loaded.
void DescribeTracing(wchar_t* maker, wchar_t* trace, uint32_t chars);

// The unload: the writer stopped, the ring written out, the file closed, the
// maker's driver freed (not when the process is ending: then only the file).
void EndTracing(bool processEnding);
