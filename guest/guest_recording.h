// One guest's recording: the ring its calls note their records in, the
// file, and the background writer between them, a timer of a queue of its
// own whose turns run in the queue's own thread. A call never waits on the
// writer unless the settings ask for a recording that loses nothing; the
// unload, inside the loader's lock, never needs a thread started.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "guest/guest_file.h"
#include "guest/guest_ring.h"

// A record as a line of the file, CRLF included; its length.
typedef uint32_t (*FormatRecordFn)(const void* record, char* line, uint32_t size, void* context);
// Before each turn's records are formatted (a guest's clock, say).
typedef void (*TurnBeginsFn)(void* context);

struct GuestRecording {
    GuestRing ring;
    GuestFile file;
    FormatRecordFn format = nullptr;
    TurnBeginsFn turnBegins = nullptr;
    void* context = nullptr;
    bool waitWhenFull = false;   // lossless: a call that finds the ring full waits for room
    uint32_t flushMs = 50;
    HANDLE queue = nullptr;
    HANDLE timer = nullptr;
    SRWLOCK writerLock = SRWLOCK_INIT;  // starting and stopping the writer
    volatile LONG writing = 0;   // 1 while a turn or a note is at the file
};

struct RecordingSettings {
    const wchar_t* path;
    bool freshFile;              // never a file that is there already
    uint64_t limitBytes;         // 0: none
    uint32_t ringRecords;
    uint32_t recordSize;
    uint32_t flushMs;
    bool waitWhenFull;
    const char* header;          // the first line
    const char* settingsName;    // the INI, for the lines that name a setting
    const char* noun;            // what a record is: "calls"
};

// The file and the ring; false (and nothing recorded) when the file cannot
// be made. Without memory for the ring, the file says so and is closed.
bool StartRecording(GuestRecording& r, const RecordingSettings& settings, FormatRecordFn format,
                    TurnBeginsFn turnBegins, void* context);
bool Recording(const GuestRecording& r);

// Notes the record, filling in its header; the sequence number it got,
// kept or dropped. Safe from any thread at any time.
uint32_t Record(GuestRecording& r, const void* record);
// "# <text>", between two turns of the writer.
void Note(GuestRecording& r, const char* text);

// The writer runs while the guest wants it to (the trace driver: while the
// host holds a slot open). Stopping waits for a turn under way, then writes
// out what the ring holds.
void StartWriter(GuestRecording& r);
void StopWriter(GuestRecording& r);

// The unload: the writer stopped, the ring written out, the file closed and
// the ring freed (when the process ends, the other threads are gone, perhaps
// in the middle of a turn or a call: the file then says what it misses).
void EndRecording(GuestRecording& r, bool processEnding);
