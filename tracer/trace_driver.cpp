#include "tracer/trace_driver.h"

#include <windows.h>
#include <stdio.h>
#include <x86intrin.h>

#include "host/proc_address.h"
#include "tracer/trace_file.h"
#include "tracer/trace_live.h"
#include "tracer/trace_ring.h"
#include "tracer/trace_self.h"
#include "tracer/trace_settings.h"

namespace {

struct Tracing {
    TraceSettings settings;
    HMODULE maker = nullptr;
    MakerEntries entries;
    bool bound = false;
    TraceRing ring;
    TraceFile file;
    HANDLE liveMapping = nullptr;
    TraceLiveSection* live = nullptr;
    HANDLE timer = nullptr;
    volatile LONG writing = 0;
};

Tracing g_tracing;
INIT_ONCE g_started = INIT_ONCE_STATIC_INIT;

template <typename Fn>
bool Bind(Fn* entry, const char* name, char* missing, size_t size)
{
    *entry = ProcAddress<Fn>(g_tracing.maker, name);
    if (!*entry && !missing[0])
        snprintf(missing, size, "%s", name);
    return *entry != nullptr;
}

// Loads and binds the maker's driver; else says why in the trace file.
void LoadMaker(Tracing& t)
{
    char why[600] = "";
    char path[400];
    WideCharToMultiByte(CP_ACP, 0, t.settings.makerPath, -1, path, sizeof path, nullptr, nullptr);
    t.maker = LoadLibraryExW(t.settings.makerPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!t.maker) {
        snprintf(why, sizeof why, "the maker's driver %s could not be loaded (error %lu)", path, GetLastError());
    } else if (t.maker == TraceDriverModule()) {  // each call would call itself until the stack ran out
        snprintf(why, sizeof why, "the maker's driver %s is this trace driver itself", path);
        FreeLibrary(t.maker);
        t.maker = nullptr;
    } else {
        char missing[40] = "";
        MakerEntries& e = t.entries;
        // Every one is looked up, so that the first one missing is named.
        bool all = Bind(&e.getVersion, "TovelGetVersion", missing, sizeof missing);
        all = Bind(&e.create, "TovelCreate", missing, sizeof missing) && all;
        all = Bind(&e.close, "TovelClose", missing, sizeof missing) && all;
        all = Bind(&e.getResource, "TovelGetResource", missing, sizeof missing) && all;
        all = Bind(&e.inPort, "TovelInPort", missing, sizeof missing) && all;
        all = Bind(&e.outPort, "TovelOutPort", missing, sizeof missing) && all;
        all = Bind(&e.getLastError, "TovelGetLastError", missing, sizeof missing) && all;
        all = Bind(&e.getSwitchValue, "TovelGetSwitchValue", missing, sizeof missing) && all;
        t.bound = all;
        if (!all) {
            snprintf(why, sizeof why, "the maker's driver %s has no entry point %s", path, missing);
            FreeLibrary(t.maker);
            t.maker = nullptr;
        }
    }
    if (t.bound) {
        snprintf(why, sizeof why, "the maker's driver: %s", path);
        WriteNote(t.file, why);
    } else {
        WriteNote(t.file, why);
        WriteNote(t.file, "so the trace driver answers as a driver with no board: every call gives 0");
    }
}

void OpenLiveSection(Tracing& t)
{
    t.liveMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TraceLiveSection),
                                       TOVEL_TRACE_LIVE_NAME);
    if (!t.liveMapping)
        return;
    t.live = static_cast<TraceLiveSection*>(
        MapViewOfFile(t.liveMapping, FILE_MAP_WRITE, 0, 0, sizeof(TraceLiveSection)));
    if (!t.live)
        return;
    ZeroMemory(t.live, sizeof *t.live);  // a section left by an earlier host starts again
    memcpy(t.live->magic, "TOVTRACE", 8);
    t.live->layout = kTraceLiveLayout;
    t.live->processId = GetCurrentProcessId();
    t.live->bound = t.bound ? 1 : 0;
}

// The background writer: empties the ring into the file on a timer.
void WriteOut(Tracing& t, bool last, bool ifFree = false)
{
    if (InterlockedExchange(&t.writing, 1))
        return;  // the previous turn is still at it
    const TakenRecords taken = Take(t.ring, ifFree);
    if (t.file.recording) {
        WriteRecords(t.file, taken, last);
        Flush(t.file);
    }
    Release(t.ring, taken);
    InterlockedExchange(&t.writing, 0);
}

VOID CALLBACK WriterTurn(PVOID, BOOLEAN)
{
    WriteOut(g_tracing, false);
}

BOOL CALLBACK Start(PINIT_ONCE, PVOID, PVOID*)
{
    Tracing& t = g_tracing;
    ReadTraceSettings(&t.settings);
    if (OpenTraceFile(t.file, t.settings.tracePath, t.settings.limitBytes) &&
        !MakeRing(t.ring, t.settings.ringCalls)) {
        WriteNote(t.file, "no memory for the ring: nothing is recorded");
        CloseTraceFile(t.file);
    }
    LoadMaker(t);
    Flush(t.file);
    OpenLiveSection(t);
    if (t.file.recording &&
        !CreateTimerQueueTimer(&t.timer, nullptr, WriterTurn, nullptr, t.settings.flushMs, t.settings.flushMs,
                               WT_EXECUTEDEFAULT))
        t.timer = nullptr;
    return TRUE;
}

void Started()
{
    InitOnceExecuteOnce(&g_started, Start, nullptr, nullptr);
}

void Publish(TraceLiveSection* live, const CallRecord& r)
{
    live->sequence = r.sequence;
    if (!(r.has & kHasSlot) || r.slot >= kTraceLiveSlots)
        return;
    TraceLiveSlot& slot = live->slots[r.slot];
    if (r.entry == Entry::kCreate || r.entry == Entry::kClose) {
        slot.opened = r.entry == Entry::kCreate && r.result != 0;
        slot.sequence = r.sequence;
        return;
    }
    if ((r.entry != Entry::kInPort && r.entry != Entry::kOutPort) || r.port >= kTraceLivePorts)
        return;
    TraceLivePort& port = (r.entry == Entry::kOutPort ? slot.output : slot.input)[r.port];
    port.value = r.value;
    port.result = r.result;
    port.ticks = r.ticks;
    MemoryBarrier();
    port.sequence = r.sequence;  // last: a reader that sees it sees the rest
}

}  // namespace

const MakerEntries* Maker()
{
    Started();
    return g_tracing.bound ? &g_tracing.entries : nullptr;
}

void RecordCall(CallRecord record)
{
    Tracing& t = g_tracing;
    record.stamp = __rdtsc();
    record.thread = GetCurrentThreadId();
    if (t.file.recording && t.ring.records)
        record.sequence = Append(t.ring, record);
    else
        record.sequence = NextSequence(t.ring);
    if (t.live)
        Publish(t.live, record);
}

void EndTracing(bool processEnding)
{
    Tracing& t = g_tracing;
    if (!processEnding && t.timer)
        DeleteTimerQueueTimer(nullptr, t.timer, INVALID_HANDLE_VALUE);  // waits for a turn under way
    t.timer = nullptr;
    // When the process ends, the other threads are gone, perhaps in the
    // middle of a turn or of a call: then what they held stays unwritten.
    WriteOut(t, true, processEnding);
    CloseTraceFile(t.file);
    if (t.live)
        UnmapViewOfFile(t.live);
    if (t.liveMapping)
        CloseHandle(t.liveMapping);
    t.live = nullptr;
    t.liveMapping = nullptr;
    if (!processEnding && t.maker)
        FreeLibrary(t.maker);
    t.maker = nullptr;
    t.bound = false;
}
