// The trace driver's own module and the moment it was loaded.
#pragma once

#include <windows.h>
#include <stdint.h>

HMODULE TraceDriverModule();

// When the trace driver was loaded, by the processor's time stamp counter
// (which a call reads: a tenth of the performance counter's cost under Wine)
// and by the performance counter, which calibrates it.
uint64_t LoadedAtStamp();
LONGLONG LoadedAtCounter();
