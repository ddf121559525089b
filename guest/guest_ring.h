// The records between the calls that note them and the writer that writes
// them out: a fixed ring that a call appends to under a lock held for a few
// instructions, by a call or by the writer; a spin lock, since Wine's slim
// locks cost a transfer's worth. When it is full a call only counts itself
// dropped; the next record that finds room carries the count, so the file
// says how many were dropped and where.
//
// The ring lives in a DLL in someone else's process for an afternoon. Its
// address space is reserved once, at most kMostRingBytes of it, and
// committed a chunk at a time as the records first reach it, so a large
// setting takes the host's memory only as far as calls ever fill it.
#pragma once

#include <windows.h>
#include <stdint.h>

// What every record begins with; the ring fills it in.
struct RingHeader {
    uint32_t sequence;       // 1, 2, 3 ... over every record, dropped ones too
    uint32_t droppedBefore;  // records just before this one that found the ring full
};

// The most address space a ring takes: what a 32-bit host can spare.
constexpr uint32_t kMostRingBytes = 64u << 20;
// Records a ring holds: at least, and unless a guest's settings say otherwise.
constexpr uint32_t kLeastRing = 16, kDefaultRing = 1u << 16;

struct GuestRing {
    uint8_t* records = nullptr;  // reserved for `capacity` records
    uint32_t recordSize = 0;     // bytes, a RingHeader first, a whole number of words
    uint32_t capacity = 0;
    uint32_t committedBytes = 0; // from the start of `records`
    uint32_t first = 0;          // the oldest record not yet taken by the writer
    uint32_t count = 0;
    uint32_t sequence = 0;       // the last one given
    uint32_t dropped = 0;        // since the last record that found room
    volatile LONG lock = 0;      // 1 while a call or the writer is at the indices
};

// The most records of `recordSize` bytes a ring may hold.
uint32_t MostRingRecords(uint32_t recordSize);

// Room for `capacity` records (no more than MostRingRecords, fewer if the
// address space is short); false when there is none.
bool MakeRing(GuestRing& ring, uint32_t capacity, uint32_t recordSize);
void FreeRing(GuestRing& ring);

// The next sequence number, for a record that is not kept.
uint32_t NextSequence(GuestRing& ring);

// Copies the record in with the next sequence number, which it answers.
// When the ring is full: with `dropWhenFull` the record is counted dropped
// and has its number all the same; without, nothing changes and the answer
// is 0. When memory cannot be committed for the record it is dropped either way.
uint32_t Append(GuestRing& ring, const void* record, bool dropWhenFull);

// The writer's side: the records it may read, oldest first, in at most two
// runs (the ring wraps); they stay the writer's until Release.
struct TakenRecords {
    const uint8_t* runs[2];
    uint32_t lengths[2];         // records
    uint32_t droppedAtEnd;       // records dropped after the last of them: the next record that
                                 // finds room carries them, else the last write of the file
    uint32_t lastSequence;
};
// With `ifFree`, nothing is taken when the lock is held (by a thread the
// ending process may have stopped inside it).
TakenRecords Take(GuestRing& ring, bool ifFree = false);
void Release(GuestRing& ring, const TakenRecords& taken);

// Record i of a run of taken records.
inline const void* TakenRecord(const TakenRecords& taken, int run, uint32_t i, uint32_t recordSize)
{
    return taken.runs[run] + static_cast<size_t>(i) * recordSize;
}
