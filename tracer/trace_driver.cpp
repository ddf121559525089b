#include "tracer/trace_driver.h"

#include <windows.h>
#include <x86intrin.h>

#include "host/format_text.h"
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
    TovelEntries entries;
    bool bound = false;
    TraceRing ring;
    TraceFile file;
    HANDLE liveMapping = nullptr;
    TraceLiveSection* live = nullptr;
    // The writer: a timer of a queue of its own, whose turns run in the
    // queue's own thread. It runs while the host holds a slot open, and is
    // stopped when the last one closes, in that call: so the unload, inside
    // the loader's lock, seldom has a writer to wait for, and never one that
    // needs a thread started.
    HANDLE queue = nullptr;
    HANDLE timer = nullptr;
    SRWLOCK writerLock = SRWLOCK_INIT;
    volatile LONG opened[kTraceLiveSlots] = {};
    volatile LONG openSlots = 0;
    volatile LONG writing = 0;
};

Tracing g_tracing;
INIT_ONCE g_started = INIT_ONCE_STATIC_INIT;

template <typename Fn>
bool Bind(Fn* entry, const char* name, char* missing, size_t size)
{
    *entry = ProcAddress<Fn>(g_tracing.maker, name);
    if (!*entry && !missing[0])
        lstrcpynA(missing, name, static_cast<int>(size));
    return *entry != nullptr;
}

// Loads and binds the maker's driver; else says why in the trace file.
void LoadMaker(Tracing& t)
{
    char why[1200] = "";
    char path[2 * MAX_PATH + 1];
    if (!WideCharToMultiByte(CP_ACP, 0, t.settings.makerPath, -1, path, sizeof path, nullptr, nullptr))
        lstrcpynA(path, "(a path this system's code page cannot show)", sizeof path);
    t.maker = LoadLibraryExW(t.settings.makerPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!t.maker) {
        text::Format(why, sizeof why, "the maker's driver %s could not be loaded (error %lu)", path, GetLastError());
    } else if (t.maker == TraceDriverModule()) {  // each call would call itself until the stack ran out
        text::Format(why, sizeof why, "the maker's driver %s is this trace driver itself", path);
        FreeLibrary(t.maker);
        t.maker = nullptr;
    } else {
        char missing[40] = "";
        TovelEntries& e = t.entries;
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
            text::Format(why, sizeof why, "the maker's driver %s has no entry point %s", path, missing);
            FreeLibrary(t.maker);
            t.maker = nullptr;
        }
    }
    if (t.bound) {
        text::Format(why, sizeof why, "the maker's driver: %s", path);
        WriteNote(t.file, why);
    } else {
        WriteNote(t.file, why);
        WriteNote(t.file, "so the trace driver answers as a driver with no board: every call gives 0");
    }
}

bool HostAlive(uint32_t processId)
{
    HANDLE host = OpenProcess(SYNCHRONIZE, FALSE, processId);
    const bool alive = host && WaitForSingleObject(host, 0) == WAIT_TIMEOUT;
    if (host)
        CloseHandle(host);
    return alive;
}

// The live section, unless another host that is still running publishes in
// it: then the view stays with that host, and this one says so in its file.
void OpenLiveSection(Tracing& t)
{
    t.liveMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TraceLiveSection),
                                       TOVEL_TRACE_LIVE_NAME);
    if (!t.liveMapping)
        return;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    t.live = static_cast<TraceLiveSection*>(
        MapViewOfFile(t.liveMapping, FILE_MAP_WRITE, 0, 0, sizeof(TraceLiveSection)));
    if (t.live && existed && t.live->processId != GetCurrentProcessId() && HostAlive(t.live->processId)) {
        char note[120];
        text::Format(note, sizeof note, "the live view stays with process %u, which also runs the trace driver",
                 t.live->processId);
        WriteNote(t.file, note);
        UnmapViewOfFile(t.live);
        t.live = nullptr;
    }
    if (!t.live) {
        CloseHandle(t.liveMapping);
        t.liveMapping = nullptr;
        return;
    }
    ZeroMemory(t.live, sizeof *t.live);  // a section left by an ended host starts again
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

void StartWriter(Tracing& t)
{
    if (!t.timer && t.queue && t.file.recording &&
        !CreateTimerQueueTimer(&t.timer, t.queue, WriterTurn, nullptr, t.settings.flushMs, t.settings.flushMs,
                               WT_EXECUTEINTIMERTHREAD))
        t.timer = nullptr;
}

// Waits for a turn under way, then writes out what the ring holds.
void StopWriter(Tracing& t)
{
    if (t.timer)
        DeleteTimerQueueTimer(t.queue, t.timer, INVALID_HANDLE_VALUE);
    t.timer = nullptr;
    WriteOut(t, false);
}

// The writer runs from the first slot the host opens to the last it closes.
void CountOpenSlots(Tracing& t, const CallRecord& r)
{
    const bool create = r.entry == Entry::kCreate, close = r.entry == Entry::kClose;
    if ((!create && !close) || !r.result || !(r.has & kHasSlot) || r.slot >= kTraceLiveSlots)
        return;
    if (InterlockedExchange(&t.opened[r.slot], create ? 1 : 0) == (create ? 1 : 0))
        return;  // opened again, or closed again: no change
    AcquireSRWLockExclusive(&t.writerLock);
    const LONG now = create ? InterlockedIncrement(&t.openSlots) : InterlockedDecrement(&t.openSlots);
    if (create && now == 1)
        StartWriter(t);
    if (close && now == 0)
        StopWriter(t);
    ReleaseSRWLockExclusive(&t.writerLock);
}

BOOL CALLBACK Start(PINIT_ONCE, PVOID, PVOID*)
{
    Tracing& t = g_tracing;
    ReadTraceSettings(&t.settings);
    if (OpenTraceFile(t.file, t.settings.tracePath, t.settings.freshFile, t.settings.limitBytes) &&
        !MakeRing(t.ring, t.settings.ringCalls)) {
        WriteNote(t.file, "no memory for the ring: nothing is recorded");
        CloseTraceFile(t.file);
    }
    LoadMaker(t);
    OpenLiveSection(t);
    Flush(t.file);
    t.queue = CreateTimerQueue();
    return TRUE;
}

void Started()
{
    InitOnceExecuteOnce(&g_started, Start, nullptr, nullptr);
}

// A slot opens and closes only when the driver says it did; a port's
// fields are written between two steps of its generation, so that a reader
// that finds the generation even and the same before and after has them all
// of one transfer (the plug-in's board lock keeps transfers apart).
void Publish(TraceLiveSection* live, const CallRecord& r)
{
    if (r.sequence > live->sequence)  // calls of other threads may return in another order
        live->sequence = r.sequence;
    if (!(r.has & kHasSlot) || r.slot >= kTraceLiveSlots)
        return;
    TraceLiveSlot& slot = live->slots[r.slot];
    if (r.entry == Entry::kCreate || r.entry == Entry::kClose) {
        if (r.result) {
            slot.opened = r.entry == Entry::kCreate;
            slot.sequence = r.sequence;
        }
        return;
    }
    if ((r.entry != Entry::kInPort && r.entry != Entry::kOutPort) || r.port >= kTraceLivePorts)
        return;
    TraceLivePort& port = (r.entry == Entry::kOutPort ? slot.output : slot.input)[r.port];
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&port.generation));  // odd: being written
    port.sequence = r.sequence;
    port.value = r.value;
    port.result = r.result;
    port.ticks = r.ticks;
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(&port.generation));  // even: whole again
}

}  // namespace

const TovelEntries* Maker()
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
    CountOpenSlots(t, record);
}

void EndTracing(bool processEnding)
{
    Tracing& t = g_tracing;
    // A host that closed every slot stopped the writer already. One that
    // did not: its turns run in the queue's own thread, so waiting for one
    // here, inside the loader's lock, needs no thread to start. When the
    // process ends every other thread is gone, perhaps in the middle of a
    // turn or of a call: what they held stays unwritten.
    if (!processEnding) {
        if (t.timer)
            DeleteTimerQueueTimer(t.queue, t.timer, INVALID_HANDLE_VALUE);
        if (t.queue)
            DeleteTimerQueueEx(t.queue, nullptr);  // its thread ends by itself, in no code of this driver
    }
    t.timer = nullptr;
    t.queue = nullptr;
    const bool turnCutOff = processEnding && t.writing;
    WriteOut(t, true, processEnding);
    if (turnCutOff)
        t.file.used = 0;  // a half-written buffer of the cut-off turn
    CloseTraceFile(t.file);
    if (!processEnding)
        FreeRing(t.ring);
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
