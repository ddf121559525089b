// The trace file's lines: its columns, and a call as a line.
#pragma once

#include <stdint.h>

#include "tracer/call_record.h"

// The columns, as the header line gives them.
extern const char kTraceColumns[];

// A call as a line, CRLF included; its length.
uint32_t FormatCall(const void* record, char* line, uint32_t size, void* tenthsPerStamp);
