// The trace file: CSV, one line per call, written only by the background
// writer (and by the trace driver's unload, once the writer is gone). A
// write that fails, or a file that reaches its limit, stops the recording,
// never the calls; at the limit the file ends with a line that says why.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "tracer/trace_ring.h"

struct TraceFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    uint64_t written = 0;
    uint64_t limit = 0;           // bytes; 0 none
    volatile LONG recording = 0;  // 1 while lines still go to the file
    char buffer[1 << 16];
    uint32_t used = 0;
};

// Makes the file (anew, or only when there is none with `fresh`) and writes
// its header; false (recording off) when it cannot be made.
bool OpenTraceFile(TraceFile& f, const wchar_t* path, bool fresh, uint64_t limitBytes);
// "# <text>": a line of its own that no CSV reader takes for a call.
void WriteNote(TraceFile& f, const char* text);
// The records as lines; with `last`, the calls dropped after them too.
void WriteRecords(TraceFile& f, const TakenRecords& taken, bool last);
void Flush(TraceFile& f);
void CloseTraceFile(TraceFile& f);

// The columns, as the header line gives them.
extern const char kTraceColumns[];

// The time of a call, from its time stamp: tenths of a microsecond since
// the trace driver was loaded, at the rate TenthsPerStamp measures now.
uint64_t TenthsPerStamp();
uint64_t TenthsSinceLoad(uint64_t stamp, uint64_t tenthsPerStamp);
