#include "guest/guest_ring.h"

#include <string.h>

namespace {

// Committed at a time as the records reach it.
const uint32_t kCommitChunk = 64u << 10;

bool TryLock(volatile LONG& lock)
{
    return InterlockedExchange(&lock, 1) == 0;
}

void Lock(volatile LONG& lock)
{
    for (int spins = 0; !TryLock(lock); ++spins) {
        if (spins < 64)
            YieldProcessor();
        else if (spins < 128)
            SwitchToThread();  // the holder may be a thread this one keeps from running
        else
            Sleep(1);  // or one of lower priority, which a yield would not let run
    }
}

void Unlock(volatile LONG& lock)
{
    InterlockedExchange(&lock, 0);
}

struct Exclusive {
    explicit Exclusive(volatile LONG& lock) : lock_(lock) { Lock(lock_); }
    ~Exclusive() { Unlock(lock_); }
    volatile LONG& lock_;
};

// The bytes up to `end` committed; false when the host has no memory left.
bool Committed(GuestRing& ring, uint32_t end)
{
    if (end <= ring.committedBytes)
        return true;
    const uint32_t reserved = ring.capacity * ring.recordSize;
    uint32_t upTo = (end + kCommitChunk - 1) / kCommitChunk * kCommitChunk;
    upTo = upTo < reserved ? upTo : reserved;
    if (!VirtualAlloc(ring.records + ring.committedBytes, upTo - ring.committedBytes, MEM_COMMIT, PAGE_READWRITE))
        return false;
    ring.committedBytes = upTo;
    return true;
}

}  // namespace

uint32_t MostRingRecords(uint32_t recordSize)
{
    return kMostRingBytes / recordSize;
}

uint32_t NextSequence(GuestRing& ring)
{
    return static_cast<uint32_t>(InterlockedIncrement(reinterpret_cast<volatile LONG*>(&ring.sequence)));
}

bool MakeRing(GuestRing& ring, uint32_t capacity, uint32_t recordSize)
{
    if (recordSize < sizeof(RingHeader) || recordSize % 4 != 0)
        return false;
    const uint32_t most = MostRingRecords(recordSize);
    for (capacity = capacity < most ? capacity : most; capacity >= kLeastRing; capacity /= 2) {
        void* memory = VirtualAlloc(nullptr, capacity * recordSize, MEM_RESERVE, PAGE_NOACCESS);
        if (memory) {
            ring.records = static_cast<uint8_t*>(memory);
            ring.recordSize = recordSize;
            ring.capacity = capacity;
            ring.committedBytes = 0;
            return true;
        }
    }
    return false;
}

void FreeRing(GuestRing& ring)
{
    if (ring.records)
        VirtualFree(ring.records, 0, MEM_RELEASE);
    ring.records = nullptr;
    ring.capacity = 0;
    ring.committedBytes = 0;
}

uint32_t Append(GuestRing& ring, const void* record, bool dropWhenFull)
{
    Exclusive locked(ring.lock);
    const uint32_t slot = (ring.first + ring.count) % ring.capacity;
    const bool full = ring.count == ring.capacity;
    if (full || !Committed(ring, (slot + 1) * ring.recordSize)) {
        // Only a full ring is worth waiting for: the writer empties it. Memory
        // the system refuses no turn can give, so even a lossless ring drops.
        if (full && !dropWhenFull)
            return 0;
        ++ring.dropped;
        return NextSequence(ring);
    }
    // Word by word: records are whole words, and a call to memcpy would cost
    // more than the copy.
    uint32_t* to = reinterpret_cast<uint32_t*>(ring.records + static_cast<size_t>(slot) * ring.recordSize);
    const uint32_t* from = static_cast<const uint32_t*>(record);
    const RingHeader header = {NextSequence(ring), ring.dropped};
    to[0] = header.sequence;
    to[1] = header.droppedBefore;
    for (uint32_t i = sizeof header / 4; i < ring.recordSize / 4; ++i)
        to[i] = from[i];
    ring.dropped = 0;
    ++ring.count;
    return header.sequence;
}

TakenRecords Take(GuestRing& ring, bool ifFree)
{
    TakenRecords t = {};
    if (!ring.records || (ifFree && !TryLock(ring.lock)))
        return t;
    if (!ifFree)
        Lock(ring.lock);
    const uint32_t toEnd = ring.capacity - ring.first;
    t.runs[0] = ring.records + static_cast<size_t>(ring.first) * ring.recordSize;
    t.lengths[0] = ring.count < toEnd ? ring.count : toEnd;
    t.runs[1] = ring.records;
    t.lengths[1] = ring.count - t.lengths[0];
    t.droppedAtEnd = ring.dropped;
    t.lastSequence = ring.sequence;
    Unlock(ring.lock);
    return t;
}

void Release(GuestRing& ring, const TakenRecords& taken)
{
    const uint32_t n = taken.lengths[0] + taken.lengths[1];
    if (!n)
        return;
    Exclusive locked(ring.lock);
    ring.first = (ring.first + n) % ring.capacity;
    ring.count -= n;
}
