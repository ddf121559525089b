// The recording's lines: its columns, and a record as a line. The writer
// hands each record to the profile too, in the order of the file.
#pragma once

#include <stdint.h>

extern const char kRecordColumns[];

// A record as a line, CRLF included; its length.
uint32_t FormatRecord(const void* record, char* line, uint32_t size, void* tenthsPerStamp);

// A double from its bits, in decimal with at most six decimals, by whole
// numbers only: "80", "0.3", "1e9" as "1000000000"; "0x..." beyond that.
void DoubleText(uint32_t low, uint32_t high, char* text, uint32_t size);
