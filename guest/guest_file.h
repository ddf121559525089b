// A guest's file: a header line, then one line per record and notes, written
// by the background writer (and by the guest's unload, once the writer is
// gone). A write that fails, or a file that reaches its limit, stops the
// recording, never the calls; at the limit the file ends with a line that
// says why.
#pragma once

#include <windows.h>
#include <stdint.h>

struct GuestFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    uint64_t written = 0;
    uint64_t limit = 0;             // bytes; 0 none
    const char* settingsName = "";  // the INI a line about a setting names
    const char* noun = "records";   // what a record stands for: "calls"
    volatile LONG recording = 0;    // 1 while lines still go to the file
    char buffer[1 << 16];
    uint32_t used = 0;
    uint32_t bufferedSequence = 0;  // of the last record in the buffer or the file
    uint32_t flushedSequence = 0;   // of the last record in the file
};

// Makes the file (anew, or only when there is none with `fresh`) and writes
// its header line; false (recording off) when it cannot be made.
bool OpenGuestFile(GuestFile& f, const wchar_t* path, bool fresh, uint64_t limitBytes, const char* header,
                   const char* settingsName, const char* noun);
// "# <text>": a line of its own that no CSV reader takes for a record.
void WriteNote(GuestFile& f, const char* text);
// A record's line, CRLF included.
void WriteRecordLine(GuestFile& f, const char* line, uint32_t length, uint32_t sequence);
// The records from `firstSequence` on, `count` of them, found the ring full.
void WriteDropped(GuestFile& f, uint32_t count, uint32_t firstSequence);
// The last line, when the process ends: how many records never reached the
// file, the last given being `lastSequence`. After a writer's turn that the
// ending process cut off, what it had in the buffer is dropped and counted.
void WriteProcessEnd(GuestFile& f, uint32_t lastSequence, bool turnCutOff);
void Flush(GuestFile& f);
void CloseGuestFile(GuestFile& f);
