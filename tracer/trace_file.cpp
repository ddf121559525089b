#include "tracer/trace_file.h"

#include <x86intrin.h>

#include "host/format_text.h"
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

// a * b / c, whole, without the product overflowing: long division of the
// 128-bit product, a bit at a time (once a write).
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32, bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    uint64_t high = aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
    uint64_t low = (middle << 32) | (lowLow & 0xFFFFFFFFu);
    uint64_t quotient = 0, remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const uint64_t next = bit >= 64 ? (high >> (bit - 64)) & 1 : (low >> bit) & 1;
        const bool carry = remainder >> 63;
        remainder = (remainder << 1) | next;
        quotient <<= 1;
        if (carry || remainder >= c) {
            remainder -= c;
            quotient |= 1;
        }
    }
    return quotient;
}

}  // namespace

// Tenths of a microsecond per time stamp, in 32.32 fixed point, measured
// against the performance counter over all the time since the load. Whole
// numbers only: the last write runs on the host's thread, in its x87 state.
uint64_t TenthsPerStamp()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart - LoadedAtCounter());
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart ? frequency.QuadPart : 1);
    const uint64_t tenths = ticks / perSecond * 10000000 + ticks % perSecond * 10000000 / perSecond;
    const uint64_t stamps = __rdtsc() - LoadedAtStamp();
    return stamps ? MulDiv(tenths, uint64_t(1) << 32, stamps) : 0;
}

uint64_t TenthsSinceLoad(uint64_t stamp, uint64_t tenthsPerStamp)
{
    const uint64_t since = stamp > LoadedAtStamp() ? stamp - LoadedAtStamp() : 0;
    return (since >> 32) * tenthsPerStamp + (((since & 0xFFFFFFFFu) * tenthsPerStamp) >> 32);
}

namespace {

// One call as a line of the file.
int FormatRecord(const CallRecord& r, uint64_t tenthsPerStamp, char* line, size_t size)
{
    const uint64_t tenths = TenthsSinceLoad(r.stamp, tenthsPerStamp);
    char microseconds[24], slot[12] = "", port[12] = "", value[12] = "", error[12] = "";
    const bool transfer = r.entry == Entry::kInPort || r.entry == Entry::kOutPort;
    text::FormatUnsigned64(microseconds, sizeof microseconds, tenths / 10);
    if (r.has & kHasSlot)
        text::Format(slot, sizeof slot, "%u", r.slot);
    if (r.has & kHasPort)
        text::Format(port, sizeof port, "%u", r.port);
    if (r.has & kHasValue)
        text::Format(value, sizeof value, transfer ? "0x%02X" : "0x%X", r.value);
    if (r.entry == Entry::kGetLastError)
        text::Format(error, sizeof error, "%d", r.result);
    const char* direction = r.entry == Entry::kOutPort ? "out" : r.entry == Entry::kInPort ? "in" : "";
    text::Format(line, size, "%u,%s.%u,%u,%u,%s,%s,%s,%s,%s,%d,%s\r\n", r.sequence, microseconds,
                 static_cast<unsigned>(tenths % 10), r.ticks, r.thread, kEntryNames[static_cast<int>(r.entry)], slot,
                 port, direction, value, r.result, error);
    return lstrlenA(line);
}

void WriteDropped(TraceFile& f, uint32_t count, uint32_t firstSequence)
{
    char note[160];
    text::Format(note, sizeof note, "dropped %u calls, sequence %u to %u: the ring was full (ring in tovel_trace.ini)",
                 count, firstSequence, firstSequence + count - 1);
    WriteNote(f, note);
}

void WriteLine(TraceFile& f, const char* line, uint32_t length)
{
    // Room is kept for the line that says why the file ends here.
    if (f.limit && f.written + f.used + length + 200 > f.limit) {
        char kilobytes[24], why[120];
        text::FormatUnsigned64(kilobytes, sizeof kilobytes, f.limit / 1024);
        text::Format(why, sizeof why, "the file reached its limit of %s KB (limit_kb in tovel_trace.ini)", kilobytes);
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
    text::Format(line, sizeof line, "# recording stopped: %s\r\n", why);
    Put(f, line, static_cast<uint32_t>(lstrlenA(line)));
    Flush(f);
    InterlockedExchange(&f.recording, 0);
    CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}

}  // namespace

bool OpenTraceFile(TraceFile& f, const wchar_t* path, bool fresh, uint64_t limitBytes)
{
    f.handle = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, fresh ? CREATE_NEW : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
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
    text::Format(line, sizeof line, "# %s\r\n", text);
    WriteLine(f, line, static_cast<uint32_t>(lstrlenA(line)));
}

void WriteRecords(TraceFile& f, const TakenRecords& taken, bool last)
{
    char line[200];
    const uint64_t tenthsPerStamp = TenthsPerStamp();
    for (int run = 0; run < 2; ++run) {
        for (uint32_t i = 0; i < taken.lengths[run] && f.recording; ++i) {
            const CallRecord& r = taken.runs[run][i];
            if (r.droppedBefore)
                WriteDropped(f, r.droppedBefore, r.sequence - r.droppedBefore);
            const int n = FormatRecord(r, tenthsPerStamp, line, sizeof line);
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
