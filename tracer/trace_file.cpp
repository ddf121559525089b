#include "tracer/trace_file.h"

#include <stdio.h>
#include <x86intrin.h>

#include "tracer/trace_self.h"

const char kTraceColumns[] = "sequence,microseconds,ticks,thread,entry,slot,port,direction,value,result,error";

namespace {

const char* const kEntryNames[] = {"TovelGetVersion", "TovelCreate",      "TovelClose",        "TovelGetResource",
                                   "TovelInPort",     "TovelOutPort",     "TovelGetLastError", "TovelGetSwitchValue"};

void Stop(TraceFile& f, const char* why);

void Put(TraceFile& f, const char* text, uint32_t length)
{
    if (!f.recording)
        return;
    if (f.used + length > sizeof f.buffer)
        Flush(f);
    if (!f.recording || length > sizeof f.buffer)
        return;
    memcpy(f.buffer + f.used, text, length);
    f.used += length;
}

// The time stamp counter's rate, taken at each write against the
// performance counter over all the time since the load. The writer is no
// caller's thread, so its floating point is its own.
double StampsPerTenthMicrosecond()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const double seconds = static_cast<double>(now.QuadPart - LoadedAtCounter()) / frequency.QuadPart;
    return seconds > 0 ? (__rdtsc() - LoadedAtStamp()) / seconds / 1e7 : 0;
}

// Tenths of a microsecond since the trace driver was loaded.
uint64_t Tenths(uint64_t stamp, double stampsPerTenth)
{
    const double tenths = stampsPerTenth > 0 && stamp > LoadedAtStamp() ? (stamp - LoadedAtStamp()) / stampsPerTenth : 0;
    return static_cast<uint64_t>(tenths + 0.5);
}

// One call as a line of the file.
int FormatRecord(const CallRecord& r, double stampsPerTenth, char* line, size_t size)
{
    const uint64_t tenths = Tenths(r.stamp, stampsPerTenth);
    char slot[12] = "", port[12] = "", value[12] = "", error[12] = "";
    const bool transfer = r.entry == Entry::kInPort || r.entry == Entry::kOutPort;
    if (r.has & kHasSlot)
        snprintf(slot, sizeof slot, "%u", r.slot);
    if (r.has & kHasPort)
        snprintf(port, sizeof port, "%u", r.port);
    if (r.has & kHasValue)
        snprintf(value, sizeof value, transfer ? "0x%02X" : "0x%X", r.value);
    if (r.entry == Entry::kGetLastError)
        snprintf(error, sizeof error, "%d", r.result);
    const char* direction = r.entry == Entry::kOutPort ? "out" : r.entry == Entry::kInPort ? "in" : "";
    return snprintf(line, size, "%u,%llu.%u,%u,%u,%s,%s,%s,%s,%s,%d,%s\r\n", r.sequence,
                    static_cast<unsigned long long>(tenths / 10), static_cast<unsigned>(tenths % 10), r.ticks, r.thread,
                    kEntryNames[static_cast<int>(r.entry)], slot, port, direction, value, r.result, error);
}

void WriteDropped(TraceFile& f, uint32_t count, uint32_t firstSequence)
{
    char note[160];
    snprintf(note, sizeof note, "dropped %u calls, sequence %u to %u: the ring was full (ring in tovel_trace.ini)",
             count, firstSequence, firstSequence + count - 1);
    WriteNote(f, note);
}

void WriteLine(TraceFile& f, const char* line, uint32_t length)
{
    // Room is kept for the line that says why the file ends here.
    if (f.limit && f.written + f.used + length + 200 > f.limit) {
        char why[120];
        snprintf(why, sizeof why, "the file reached its limit of %llu KB (limit_kb in tovel_trace.ini)",
                 static_cast<unsigned long long>(f.limit / 1024));
        Stop(f, why);
        return;
    }
    Put(f, line, length);
}

void Stop(TraceFile& f, const char* why)
{
    if (!f.recording)
        return;
    char line[200];
    const int n = snprintf(line, sizeof line, "# recording stopped: %s\r\n", why);
    Put(f, line, static_cast<uint32_t>(n));
    Flush(f);
    InterlockedExchange(&f.recording, 0);
    CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}

}  // namespace

bool OpenTraceFile(TraceFile& f, const wchar_t* path, uint64_t limitBytes)
{
    f.handle = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f.handle == INVALID_HANDLE_VALUE)
        return false;
    f.limit = limitBytes;
    f.written = 0;
    f.used = 0;
    InterlockedExchange(&f.recording, 1);
    Put(f, kTraceColumns, sizeof kTraceColumns - 1);
    Put(f, "\r\n", 2);
    return true;
}

void WriteNote(TraceFile& f, const char* text)
{
    char line[600];
    const int n = snprintf(line, sizeof line, "# %s\r\n", text);
    WriteLine(f, line, static_cast<uint32_t>(n < static_cast<int>(sizeof line) ? n : sizeof line - 1));
}

void WriteRecords(TraceFile& f, const TakenRecords& taken, bool last)
{
    char line[200];
    const double stampsPerTenth = StampsPerTenthMicrosecond();
    for (int run = 0; run < 2; ++run) {
        for (uint32_t i = 0; i < taken.lengths[run] && f.recording; ++i) {
            const CallRecord& r = taken.runs[run][i];
            if (r.droppedBefore)
                WriteDropped(f, r.droppedBefore, r.sequence - r.droppedBefore);
            const int n = FormatRecord(r, stampsPerTenth, line, sizeof line);
            WriteLine(f, line, static_cast<uint32_t>(n));
        }
    }
    if (last && taken.droppedAtEnd)
        WriteDropped(f, taken.droppedAtEnd, taken.lastSequence - taken.droppedAtEnd + 1);
}

void Flush(TraceFile& f)
{
    if (!f.used || f.handle == INVALID_HANDLE_VALUE)
        return;
    DWORD done = 0;
    const bool wrote = WriteFile(f.handle, f.buffer, f.used, &done, nullptr) && done == f.used;
    f.written += done;
    f.used = 0;
    if (!wrote) {  // a full disk, a file taken away: the calls go on unrecorded
        InterlockedExchange(&f.recording, 0);
        CloseHandle(f.handle);
        f.handle = INVALID_HANDLE_VALUE;
    }
}

void CloseTraceFile(TraceFile& f)
{
    Flush(f);
    InterlockedExchange(&f.recording, 0);
    if (f.handle != INVALID_HANDLE_VALUE)
        CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}
