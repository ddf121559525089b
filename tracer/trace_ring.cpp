#include "tracer/trace_ring.h"

namespace {

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

}  // namespace

uint32_t NextSequence(TraceRing& ring)
{
    return static_cast<uint32_t>(InterlockedIncrement(reinterpret_cast<volatile LONG*>(&ring.sequence)));
}

bool MakeRing(TraceRing& ring, uint32_t capacity)
{
    for (; capacity >= 16; capacity /= 2) {
        void* memory = VirtualAlloc(nullptr, capacity * sizeof(CallRecord), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (memory) {
            ring.records = static_cast<CallRecord*>(memory);
            ring.capacity = capacity;
            return true;
        }
    }
    return false;
}

void FreeRing(TraceRing& ring)
{
    if (ring.records)
        VirtualFree(ring.records, 0, MEM_RELEASE);
    ring.records = nullptr;
    ring.capacity = 0;
}

uint32_t Append(TraceRing& ring, CallRecord record)
{
    Exclusive locked(ring.lock);
    record.sequence = NextSequence(ring);
    if (ring.count == ring.capacity) {
        ++ring.dropped;
        return record.sequence;
    }
    record.droppedBefore = ring.dropped;
    ring.dropped = 0;
    ring.records[(ring.first + ring.count) % ring.capacity] = record;
    ++ring.count;
    return record.sequence;
}

TakenRecords Take(TraceRing& ring, bool ifFree)
{
    TakenRecords t = {};
    if (!ring.records || (ifFree && !TryLock(ring.lock)))
        return t;
    if (!ifFree)
        Lock(ring.lock);
    const uint32_t toEnd = ring.capacity - ring.first;
    t.runs[0] = ring.records + ring.first;
    t.lengths[0] = ring.count < toEnd ? ring.count : toEnd;
    t.runs[1] = ring.records;
    t.lengths[1] = ring.count - t.lengths[0];
    t.droppedAtEnd = ring.dropped;
    t.lastSequence = ring.sequence;
    Unlock(ring.lock);
    return t;
}

void Release(TraceRing& ring, const TakenRecords& taken)
{
    const uint32_t n = taken.lengths[0] + taken.lengths[1];
    if (!n)
        return;
    Exclusive locked(ring.lock);
    ring.first = (ring.first + n) % ring.capacity;
    ring.count -= n;
}
