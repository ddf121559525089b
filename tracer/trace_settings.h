// What the trace driver reads from tovel_trace.ini beside it, with the
// defaults of a driver installed with no INI at all.
#pragma once

#include <stdint.h>

#include "guest/guest_ini.h"
#include "guest/guest_ring.h"
#include "tracer/call_record.h"

// The ring: at most what kMostRingBytes holds.
constexpr uint32_t kMostRing = kMostRingBytes / sizeof(CallRecord);

struct TraceSettings {
    wchar_t makerPath[260];   // [driver] path: tovel_maker.dll beside the trace driver
    wchar_t tracePath[260];   // [trace] file: tovel_trace_<date>_<time>_<ms>_<process>.csv in the temporary folder
    bool freshFile;           // the default: never one that is there already
    uint32_t ringCalls;       // [trace] ring: calls held in memory between two writes
    uint32_t flushMs;         // [trace] flush_ms: how often the background writer empties the ring
    uint64_t limitBytes;      // [trace] limit_kb: recording stops when the file would grow past it; 0 none
    bool waitWhenFull;        // [trace] full=wait: a call that finds the ring full waits for room; else (drop) it is dropped
    const char* iniEncoding;  // how the INI was read; "" without one
    bool fullUnknown;         // [trace] full had a value other than wait or drop
};

// Read once, at the first call; paths in the INI are taken from the trace
// driver's own folder unless they are full paths.
void ReadTraceSettings(TraceSettings* settings);
