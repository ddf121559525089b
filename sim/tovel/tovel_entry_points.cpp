// The driver's eight entry points, as the plug-in binds them by name.

#include <string.h>

#include "sim/tovel/tovel_state.h"

using namespace tovel;

namespace {

volatile LONG g_active;
volatile LONG g_overlaps;
volatile LONG g_maxConcurrent;

// Counts callers inside a transfer at the same time, before the driver's own
// lock, and holds the transfer open a while if asked to.
struct ConcurrencyProbe {
    ConcurrencyProbe()
    {
        LONG now = InterlockedIncrement(&g_active);
        if (now > 1)
            InterlockedIncrement(&g_overlaps);
        LONG seen = g_maxConcurrent;
        while (now > seen && InterlockedCompareExchange(&g_maxConcurrent, now, seen) != seen)
            seen = g_maxConcurrent;
        for (uint32_t i = 0; i < State().dwell; ++i)
            SwitchToThread();
    }
    ~ConcurrencyProbe() { InterlockedDecrement(&g_active); }
};

struct Locked {
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
};

Board* Find(uint32_t slot)
{
    return slot < kSlots ? &State().boards[slot] : nullptr;
}

bool Fails(TransferFault& f)
{
    if (f.everyOne)
        return true;
    if (f.nth == 0)
        return false;
    ++f.counted;
    if (f.counted == f.nth) {
        if (f.persistent)
            f.everyOne = true;
        else
            f.nth = 0;
        return true;
    }
    return false;
}

int32_t FaultError(const Board& b)
{
    return b.faultError ? b.faultError : kErrorInjected;
}

void Trace(uint32_t slot, uint32_t port, uint32_t direction, uint32_t value, int32_t error)
{
    Driver& d = State();
    TovelSimTransfer t = {++d.sequence, slot, port, direction, value, error ? 0 : 1, error, GetCurrentThreadId(), {}};
    if (d.trace.size() < d.traceLimit) {
        d.trace.push_back(t);
        d.traceCounts.push_back(CounterSinceLoad());
    } else
        ++d.traceDropped;
}

// Which input a transfer addresses, or why not.
int32_t CheckTransfer(Board* b, uint32_t port)
{
    if (!b)
        return kErrorNoBoard;
    if (!b->open)
        return kErrorNotOpen;
    if (port >= kPorts)
        return kErrorBadPort;
    return 0;
}

uint8_t ReadInput(Input& in)
{
    if (in.wired)
        return State().boards[in.sourceSlot].output[in.sourcePort];
    if (in.pattern == kTovelSimCounter)
        return in.value++;
    return in.value;
}

// The board at the slot when it is there and its set-up call is not made to
// fail; otherwise null, with the slot's last error set.
Board* Answering(uint32_t slot, bool Board::*fails)
{
    Board* b = Find(slot);
    if (!b)
        return nullptr;
    if (!b->present) {
        b->lastError = kErrorNoBoard;
        return nullptr;
    }
    if (b->*fails) {
        b->lastError = FaultError(*b);
        return nullptr;
    }
    return b;
}

}  // namespace

uint32_t TovelSimOverlapsNow() { return static_cast<uint32_t>(g_overlaps); }
uint32_t TovelSimMaxConcurrentNow() { return static_cast<uint32_t>(g_maxConcurrent); }
void TovelSimResetProbe()
{
    g_overlaps = 0;
    g_maxConcurrent = 0;
}

extern "C" {

int32_t TOVEL_CALL TovelGetVersion(void)
{
    Locked lock;
    ++State().calls[kTovelGetVersion];
    return 0x0200;
}

int32_t TOVEL_CALL TovelCreate(uint32_t* slot)
{
    Locked lock;
    ++State().calls[kTovelCreate];
    Board* b = slot ? Answering(*slot, &Board::failCreate) : nullptr;
    if (!b)
        return 0;
    b->open = true;
    if (b->rewritesSlotWord)
        *slot = b->slotWord;
    return b->createAnswer;
}

int32_t TOVEL_CALL TovelClose(uint32_t slot)
{
    Locked lock;
    ++State().calls[kTovelClose];
    Board* b = Find(slot);
    if (!b || !b->open)
        return 0;
    b->open = false;
    return 1;
}

int32_t TOVEL_CALL TovelGetResource(uint32_t slot, void* resource)
{
    Locked lock;
    ++State().calls[kTovelGetResource];
    Board* b = Answering(slot, &Board::failResource);
    if (!b)
        return 0;
    memcpy(resource, b->resource, kTovelResourceSize);
    return b->resourceAnswer;
}

int32_t TOVEL_CALL TovelGetSwitchValue(uint32_t slot, uint32_t* value)
{
    Locked lock;
    ++State().calls[kTovelGetSwitchValue];
    Board* b = Answering(slot, &Board::failSwitchValue);
    if (!b)
        return 0;
    *value = b->switchValue;
    return 1;
}

int32_t TOVEL_CALL TovelOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    ConcurrencyProbe probe;
    Locked lock;
    ++State().calls[kTovelOutPort];
    Board* b = Find(slot);
    int32_t error = CheckTransfer(b, port);
    if (!error && Fails(b->failOut))
        error = FaultError(*b);
    if (error) {
        if (b)
            b->lastError = error;
        Trace(slot, port, 0, value, error);
        return 0;
    }
    b->output[port] = static_cast<uint8_t>(value);
    Trace(slot, port, 0, value, 0);
    return 1;
}

int32_t TOVEL_CALL TovelInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    ConcurrencyProbe probe;
    Locked lock;
    ++State().calls[kTovelInPort];
    Board* b = Find(slot);
    int32_t error = CheckTransfer(b, port);
    if (!error && Fails(b->failIn))
        error = FaultError(*b);
    if (error) {
        // A failed read leaves the caller's byte as it was.
        if (b)
            b->lastError = error;
        Trace(slot, port, 1, 0, error);
        return 0;
    }
    *value = ReadInput(b->input[port]);
    Trace(slot, port, 1, *value, 0);
    return 1;
}

int32_t TOVEL_CALL TovelGetLastError(uint32_t slot)
{
    Locked lock;
    ++State().calls[kTovelGetLastError];
    Board* b = Find(slot);
    return b ? b->lastError : kErrorNoBoard;
}

}  // extern "C"
