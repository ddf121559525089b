// The calls between two writes of the trace file: a fixed ring that a call
// appends to under a lock held for a few instructions, by a call or by the
// writer; a spin lock, since Wine's slim locks cost a transfer's worth. When it is full a call
// only counts itself dropped; the next call that finds room carries the
// count, so the file says how many were dropped and where.
#pragma once

#include <windows.h>

#include "tracer/call_record.h"

struct TraceRing {
    CallRecord* records = nullptr;
    uint32_t capacity = 0;
    uint32_t first = 0;          // the oldest record not yet taken by the writer
    uint32_t count = 0;
    uint32_t sequence = 0;       // the last one given
    uint32_t dropped = 0;        // since the last record that found room
    volatile LONG lock = 0;      // 1 while a call or the writer is at the indices
};

// Room for `capacity` calls (fewer if memory is short); false when there is none.
bool MakeRing(TraceRing& ring, uint32_t capacity);
void FreeRing(TraceRing& ring);

// The next sequence number, for a call that is not recorded.
uint32_t NextSequence(TraceRing& ring);

// Gives the record its sequence number and appends it, or counts it dropped.
// The number either way.
uint32_t Append(TraceRing& ring, CallRecord record);

// The writer's side: the records it may read, oldest first, in at most two
// runs (the ring wraps); they stay the writer's until Release.
struct TakenRecords {
    const CallRecord* runs[2];
    uint32_t lengths[2];
    uint32_t droppedAtEnd;       // calls dropped after the last of them: the next record that
                                 // finds room carries them, else the last write of the file
    uint32_t lastSequence;
};
// With `ifFree`, nothing is taken when the lock is held (by a thread the
// ending process may have stopped inside it).
TakenRecords Take(TraceRing& ring, bool ifFree = false);
void Release(TraceRing& ring, const TakenRecords& taken);
