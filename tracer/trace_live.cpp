#include "tracer/trace_live.h"

#include <windows.h>
#include <string.h>

#include "tracer/call_record.h"

namespace {

bool Alive(uint32_t processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    const bool alive = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    if (process)
        CloseHandle(process);
    return alive;
}

volatile LONG* Holder(TraceLiveSection* live)
{
    return reinterpret_cast<volatile LONG*>(&live->processId);
}

}  // namespace

TraceLiveSection* ClaimLiveSection(void** mapping, uint32_t* holder)
{
    *holder = 0;
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TraceLiveSection),
                                       TOVEL_TRACE_LIVE_NAME);
    TraceLiveSection* live = section ? static_cast<TraceLiveSection*>(
                                           MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(TraceLiveSection)))
                                     : nullptr;
    const LONG me = static_cast<LONG>(GetCurrentProcessId());
    LONG held = live ? *Holder(live) : 0;
    // Free, or left by a host that has ended: taken in one step, so that of
    // two hosts starting together one has it. Another trace driver in this
    // very process keeps it too.
    while (live && (held == 0 || (held != me && !Alive(static_cast<uint32_t>(held))))) {
        const LONG seen = InterlockedCompareExchange(Holder(live), me, held);
        if (seen == held) {
            memset(live->slots, 0, sizeof live->slots);  // an ended host's ports start again
            live->sequence = 0;
            live->bound = 0;
            memcpy(live->magic, kTraceLiveMagic, sizeof live->magic);
            live->layout = kTraceLiveLayout;
            *mapping = section;
            return live;
        }
        held = seen;
    }
    *holder = static_cast<uint32_t>(held);
    if (live)
        UnmapViewOfFile(live);
    if (section)
        CloseHandle(section);
    return nullptr;
}

void ReleaseLiveSection(TraceLiveSection* live, void* mapping)
{
    if (live) {
        InterlockedCompareExchange(Holder(live), 0, static_cast<LONG>(GetCurrentProcessId()));
        UnmapViewOfFile(live);
    }
    if (mapping)
        CloseHandle(mapping);
}

// A slot opens and closes only when the driver says it did; a port's
// fields are written between two steps of its generation, so that a reader
// that finds the generation even and the same before and after has them all
// of one transfer (the plug-in's board lock keeps transfers apart).
void Publish(TraceLiveSection* live, const CallRecord& r)
{
    if (r.ring.sequence > live->sequence)  // calls of other threads may return in another order
        live->sequence = r.ring.sequence;
    if (!(r.has & kHasSlot) || r.slot >= kTraceLiveSlots)
        return;
    TraceLiveSlot& slot = live->slots[r.slot];
    if (r.entry == kTovelCreate || r.entry == kTovelClose) {
        if (r.result) {
            slot.opened = r.entry == kTovelCreate;
            slot.sequence = r.ring.sequence;
        }
        return;
    }
    if ((r.entry != kTovelInPort && r.entry != kTovelOutPort) || r.port >= kTraceLivePorts)
        return;
    TraceLivePort& port = (r.entry == kTovelOutPort ? slot.output : slot.input)[r.port];
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&port.generation));  // odd: being written
    port.sequence = r.ring.sequence;
    port.value = r.value;
    port.result = r.result;
    port.ticks = r.ticks;
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&port.generation));  // even: whole again
}
