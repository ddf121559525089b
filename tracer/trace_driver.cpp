#include "tracer/trace_driver.h"

#include <windows.h>
#include <x86intrin.h>

#include "board/bind_tovel.h"
#include "guest/guest_ini.h"
#include "guest/guest_recording.h"
#include "guest/guest_self.h"
#include "host/format_text.h"
#include "tracer/trace_lines.h"
#include "tracer/trace_live.h"
#include "tracer/trace_settings.h"

namespace {

struct Tracing {
    TraceSettings settings;
    HMODULE maker = nullptr;
    TovelEntries entries;
    volatile LONG bound = 0;       // the maker's entries may be called
    volatile LONG chainNoted = 0;
    GuestRecording recording;
    bool fileMade = false;
    uint64_t tenthsPerStamp = 0;   // the writer's, for the turn under way
    void* liveMapping = nullptr;
    TraceLiveSection* live = nullptr;
    volatile LONG opened[kTraceLiveSlots] = {};
    volatile LONG openSlots = 0;
    SRWLOCK writerLock = SRWLOCK_INIT;  // the writer started or stopped as the count last said
    bool writerRunning = false;
};

Tracing g_tracing;
INIT_ONCE g_started = INIT_ONCE_STATIC_INIT;

// Loads and binds the maker's driver; else says why in the trace file.
void LoadMaker(Tracing& t)
{
    char why[1200] = "";
    char path[2 * MAX_PATH + 1];
    ShownPath(t.settings.makerPath, path, sizeof path);
    t.maker = LoadLibraryExW(t.settings.makerPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    bool all = false;
    if (!t.maker) {
        text::Format(why, sizeof why, "the maker's driver %s could not be loaded (error %lu)", path, GetLastError());
    } else if (t.maker == GuestModule()) {  // each call would call itself until the stack ran out
        text::Format(why, sizeof why, "the maker's driver %s is this trace driver itself", path);
    } else {
        const char* missing = BindTovelEntries(t.maker, &t.entries);
        all = !missing;
        if (missing)
            text::Format(why, sizeof why, "the maker's driver %s has no entry point %s", path, missing);
    }
    if (all) {
        text::Format(why, sizeof why, "the maker's driver: %s", path);
        Note(t.recording, why);
        InterlockedExchange(&t.bound, 1);
        return;
    }
    if (t.maker)
        FreeLibrary(t.maker);
    t.maker = nullptr;
    Note(t.recording, why);
    Note(t.recording, "so the trace driver answers as a driver with no board: every call gives 0");
}

void NoteSettings(Tracing& t)
{
    char line[700];
    wchar_t ini[MAX_PATH];
    PathBesideGuest(L"tovel_trace.ini", ini, MAX_PATH);
    SettingsLine(ini, t.settings.iniEncoding, line, sizeof line);
    Note(t.recording, line);
    if (t.settings.fullUnknown)
        Note(t.recording, "full in tovel_trace.ini is neither wait nor drop: calls that find the ring full are dropped");
    if (t.settings.waitWhenFull)
        Note(t.recording, "full=wait: a call that finds the ring full waits until it is written out; none is dropped");
}

void OpenLive(Tracing& t)
{
    uint32_t holder = 0;
    t.live = ClaimLiveSection(&t.liveMapping, &holder);
    if (t.live) {
        t.live->bound = static_cast<uint32_t>(t.bound);
        return;
    }
    char note[160];
    if (holder == GetCurrentProcessId())
        Note(t.recording, "the live view stays with another trace driver in this process");
    else if (holder) {
        text::Format(note, sizeof note, "the live view stays with process %u, which also runs the trace driver", holder);
        Note(t.recording, note);
    }
}

BOOL CALLBACK Start(PINIT_ONCE, PVOID, PVOID*)
{
    Tracing& t = g_tracing;
    ReadTraceSettings(&t.settings);
    const TraceSettings& s = t.settings;
    const RecordingSettings recording = {s.tracePath, s.freshFile, s.limitBytes, s.ringCalls, sizeof(CallRecord),
                                         s.flushMs, s.waitWhenFull, kTraceColumns, "tovel_trace.ini", "calls"};
    t.fileMade = StartRecording(t.recording, recording, FormatCall, MeasureTenthsPerStamp, &t.tenthsPerStamp);
    NoteSettings(t);
    LoadMaker(t);
    OpenLive(t);
    return TRUE;
}

// Once started, a call only reads a flag: the one-time initialisation's own
// check is a call into the system for every call through the driver.
volatile LONG g_startDone;

void Started()
{
    if (g_startDone)
        return;
    InitOnceExecuteOnce(&g_started, Start, nullptr, nullptr);
    InterlockedExchange(&g_startDone, 1);
}

// The writer runs from the first slot the host opens to the last it closes.
void CountOpenSlots(Tracing& t, const CallRecord& r)
{
    const bool create = r.entry == kTovelCreate, close = r.entry == kTovelClose;
    if ((!create && !close) || !r.result || !(r.has & kHasSlot) || r.slot >= kTraceLiveSlots)
        return;
    if (InterlockedExchange(&t.opened[r.slot], create ? 1 : 0) == (create ? 1 : 0))
        return;  // opened again, or closed again: no change
    if (create)
        InterlockedIncrement(&t.openSlots);
    else
        InterlockedDecrement(&t.openSlots);
    // A close to none and a create to one on two threads: whichever comes to
    // the writer last sees the count both left, so no open slot goes unwritten.
    AcquireSRWLockExclusive(&t.writerLock);
    const bool wanted = t.openSlots > 0;
    if (wanted && !t.writerRunning)
        StartWriter(t.recording);
    else if (!wanted && t.writerRunning)
        StopWriter(t.recording);
    t.writerRunning = wanted;
    ReleaseSRWLockExclusive(&t.writerLock);
}

void NoteChain(const char* format, void* guest)
{
    wchar_t path[MAX_PATH];
    char shown[2 * MAX_PATH + 1], note[1200];
    if (!GetModuleFileNameW(static_cast<HMODULE>(guest), path, MAX_PATH))
        lstrcpynW(path, L"(unknown)", MAX_PATH);
    ShownPath(path, shown, sizeof shown);
    text::Format(note, sizeof note, format, shown);
    Note(g_tracing.recording, note);
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
    record.ring.sequence = Record(t.recording, &record);
    if (t.live)
        Publish(t.live, record);
    CountOpenSlots(t, record);
}

void RefuseCallFromInside(void* outer)
{
    Started();
    Tracing& t = g_tracing;
    if (InterlockedExchange(&t.chainNoted, 1) != 0)
        return;
    // In a chain this trace driver calls nothing, so it lets go of its maker's
    // driver (the outer trace driver itself, in a cycle): neither keeps the
    // other loaded. Only calls from inside another trace driver reach it.
    InterlockedExchange(&t.bound, 0);
    if (t.maker)
        FreeLibrary(t.maker);
    t.maker = nullptr;
    NoteChain("a call came back into this trace driver from inside the trace driver %s: a chain of trace drivers "
              "is not followed, and such a call gives 0, as a driver with no board answers",
              outer);
}

void RefuseChain(void* inner)
{
    if (InterlockedExchange(&g_tracing.bound, 0) == 0)
        return;  // refused already
    if (g_tracing.live)
        g_tracing.live->bound = 0;
    NoteChain("the maker's driver leads back into the trace driver %s: a chain of trace drivers is not followed, "
              "so the trace driver answers as a driver with no board: every call from now on gives 0",
              inner);
}

void DescribeTracing(wchar_t* maker, wchar_t* trace, uint32_t chars)
{
    Started();
    const Tracing& t = g_tracing;
    lstrcpynW(maker, t.bound ? t.settings.makerPath : L"", static_cast<int>(chars));
    lstrcpynW(trace, t.fileMade ? t.settings.tracePath : L"", static_cast<int>(chars));
}

void EndTracing(bool processEnding)
{
    Tracing& t = g_tracing;
    EndRecording(t.recording, processEnding);
    ReleaseLiveSection(t.live, t.liveMapping);
    t.live = nullptr;
    t.liveMapping = nullptr;
    if (!processEnding && t.maker)
        FreeLibrary(t.maker);
    t.maker = nullptr;
    t.bound = 0;
}
