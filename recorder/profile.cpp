#include "recorder/profile.h"

#include <windows.h>
#include <stdarg.h>
#include <string.h>

#include "guest/line_text.h"
#include "host/format_text.h"
#include "host/host_messages.h"
#include "recorder/plugin_calls.h"
#include "recorder/record_lines.h"
#include "recorder/services.h"

namespace {

// The first calls a finding rests on, and how many there were.
struct Evidence {
    uint32_t sequence[3];
    uint32_t count;
    void Add(uint32_t s)
    {
        if (count < 3)
            sequence[count] = s;
        ++count;
    }
};

// What came back into the plug-in inside one host service.
struct ServiceSeen {
    Evidence calls, tookArguments, leftArguments;
    Evidence process, runEnd, handler, dialog;
};

struct FpuSeen {
    uint32_t thread;
    uint16_t control, flags;
    uint32_t mxcsr;
    bool process;
    Evidence calls;
};

// Intervals between a thread's process calls, in microseconds, by buckets
// of 64 a power of two: below 64 one each, then 1/64 of the power.
constexpr int kBuckets = 64 + 36 * 64;

struct ProcessThread {
    uint32_t thread;
    uint64_t lastTenths;
    uint32_t lastSequence;
    uint32_t calls;
    uint32_t buckets[kBuckets];
    uint64_t longest;
    uint32_t longestBetween[2];
};

struct Run {
    uint32_t first, last;
    char order[160];  // the messages in the order they came, runs of one code counted
    uint32_t lastCode, repeat;
    uint32_t process;
};

struct Setting {
    uint32_t value[2];
    Evidence calls;
};

constexpr int kMostFpu = 16, kMostThreads = 8, kMostRuns = 4, kMostSettings = 6;

struct Profile {
    ServiceSeen services[kRecordedServices];
    FpuSeen fpu[kMostFpu];
    uint32_t fpuCount;
    ProcessThread threads[kMostThreads];
    uint32_t threadCount;
    Evidence stack[16];
    uint32_t deepest, deepestAt;
    uint32_t variables[kWatched][2];
    Setting blockSizes[kMostSettings], distances[kMostSettings], channels[kMostSettings];
    Run runs[kMostRuns];
    uint32_t runCount;
    bool inRun;
    uint32_t prepared, ended;
};

Profile g_profile;

uint32_t Bucket(uint64_t microseconds)
{
    if (microseconds < 64)
        return static_cast<uint32_t>(microseconds);
    int power = 63;
    while (!(microseconds >> power))
        --power;
    const uint32_t index = 64 + static_cast<uint32_t>(power - 6) * 64 + static_cast<uint32_t>((microseconds >> (power - 6)) & 63);
    return index < kBuckets ? index : kBuckets - 1;
}

uint64_t BucketFloor(uint32_t bucket)
{
    if (bucket < 64)
        return bucket;
    const uint32_t power = (bucket - 64) / 64 + 6;
    return (static_cast<uint64_t>(64 + (bucket - 64) % 64)) << (power - 6);
}

void AddSetting(Setting* settings, uint32_t low, uint32_t high, uint32_t sequence)
{
    for (int i = 0; i < kMostSettings; ++i) {
        Setting& s = settings[i];
        if (s.calls.count == 0 || (s.value[0] == low && s.value[1] == high)) {
            s.value[0] = low;
            s.value[1] = high;
            s.calls.Add(sequence);
            return;
        }
    }
}

void SeeFpu(const HostRecord& r)
{
    Profile& p = g_profile;
    const bool process = r.what == kProcess;
    const uint16_t flags = r.fpuStatus & 0x3F;
    for (uint32_t i = 0; i < p.fpuCount; ++i) {
        FpuSeen& f = p.fpu[i];
        if (f.thread == r.thread && f.control == r.fpuControl && f.flags == flags && f.mxcsr == r.mxcsr &&
            f.process == process) {
            f.calls.Add(r.ring.sequence);
            return;
        }
    }
    if (p.fpuCount < kMostFpu)
        p.fpu[p.fpuCount++] = FpuSeen{r.thread, r.fpuControl, flags, r.mxcsr, process, {{r.ring.sequence}, 1}};
}

void SeeProcessCall(const HostRecord& r, uint64_t tenths)
{
    Profile& p = g_profile;
    ProcessThread* t = nullptr;
    for (uint32_t i = 0; i < p.threadCount && !t; ++i)
        t = p.threads[i].thread == r.thread ? &p.threads[i] : nullptr;
    if (!t && p.threadCount < kMostThreads) {
        t = &p.threads[p.threadCount++];
        t->thread = r.thread;
    }
    if (!t)
        return;
    if (t->calls++ > 0 && tenths >= t->lastTenths) {
        const uint64_t microseconds = (tenths - t->lastTenths) / 10;
        ++t->buckets[Bucket(microseconds)];
        if (microseconds >= t->longest) {
            t->longest = microseconds;
            t->longestBetween[0] = t->lastSequence;
            t->longestBetween[1] = r.ring.sequence;
        }
    }
    t->lastTenths = tenths;
    t->lastSequence = r.ring.sequence;
}

// "106 x2, process x4000, 107 x2": the messages of a run as they came.
void AddToOrder(Run& run, uint32_t code)
{
    if (code == run.lastCode && run.repeat) {
        ++run.repeat;
        return;
    }
    if (run.repeat) {
        char piece[40];
        if (run.lastCode == 0)
            text::Format(piece, sizeof piece, "%sprocess x%u", run.order[0] ? ", " : "", run.repeat);
        else
            text::Format(piece, sizeof piece, "%s%u x%u", run.order[0] ? ", " : "", run.lastCode, run.repeat);
        const int used = lstrlenA(run.order);
        lstrcpynA(run.order + used, piece, static_cast<int>(sizeof run.order) - used);
    }
    run.lastCode = code;
    run.repeat = 1;
}

// Runs go from a preparation to as many run ends as there were preparations.
void SeeRun(const HostRecord& r)
{
    Profile& p = g_profile;
    const bool handler = r.what == kHandler;
    const uint32_t code = handler ? r.data.words[1] : 0;
    if (handler && code == kMsgPrepareRun) {
        if (!p.inRun) {
            p.inRun = true;
            p.prepared = p.ended = 0;
            if (p.runCount < kMostRuns)
                p.runs[p.runCount] = Run{r.ring.sequence, r.ring.sequence, "", 0, 0, 0};
            ++p.runCount;
        }
        ++p.prepared;
        AddSetting(p.blockSizes, p.variables[kBlockSize][0], 0, r.ring.sequence);
        AddSetting(p.distances, p.variables[kMsPerSample][0], p.variables[kMsPerSample][1], r.ring.sequence);
        AddSetting(p.channels, r.data.words[5], r.data.words[6], r.ring.sequence);
    }
    if (!p.inRun || (handler && code != kMsgPrepareRun && code != kMsgEndRun) || p.runCount > kMostRuns)
        return;
    Run& run = p.runs[p.runCount - 1];
    run.last = r.ring.sequence;
    if (!handler)
        ++run.process;
    AddToOrder(run, code);
    if (handler && code == kMsgEndRun && ++p.ended >= p.prepared) {
        AddToOrder(run, 0xFFFFFFFF);  // closes the last count
        p.inRun = false;
    }
}

void SeePluginCall(const HostRecord& r, uint64_t tenths)
{
    Profile& p = g_profile;
    SeeFpu(r);
    p.stack[r.stack & 15].Add(r.ring.sequence);
    if (r.depth > p.deepest) {
        p.deepest = r.depth;
        p.deepestAt = r.ring.sequence;
    }
    if (r.what == kProcess)
        SeeProcessCall(r, tenths);
    if (r.what == kHandler || r.what == kProcess)
        SeeRun(r);
    if (r.withinService >= kRecordedServices)
        return;
    ServiceSeen& s = p.services[r.withinService];
    if (r.what == kProcess)
        s.process.Add(r.ring.sequence);
    else if (r.what == kHandler && r.data.words[1] == kMsgEndRun)
        s.runEnd.Add(r.ring.sequence);
    else
        s.handler.Add(r.ring.sequence);
}

}  // namespace

void ProfileSees(const HostRecord& r, uint64_t tenths)
{
    Profile& p = g_profile;
    switch (r.seen) {
    case Seen::kPluginCall:
        SeePluginCall(r, tenths);
        break;
    case Seen::kServiceCall:
        if (r.what < kRecordedServices) {
            ServiceSeen& s = p.services[r.what];
            s.calls.Add(r.ring.sequence);
            const uint32_t words = r.data.words[4];
            if (words > 0 && r.stack == words * 4)
                s.tookArguments.Add(r.ring.sequence);
            else if (words > 0 && r.stack == 0)
                s.leftArguments.Add(r.ring.sequence);
        }
        break;
    case Seen::kVariable:
        if (r.what < kWatched) {
            p.variables[r.what][0] = r.data.words[0];
            p.variables[r.what][1] = r.data.words[1];
        }
        break;
    case Seen::kDialogMessage:
        if (r.what < kRecordedServices)
            p.services[r.what].dialog.Add(r.ring.sequence);
        break;
    default:
        break;
    }
}

namespace {

// The profile's text as it is put together.
struct Text {
    char bytes[24576];
    uint32_t used;
    void Line(const char* format, ...)
    {
        char line[600];
        va_list arguments;
        va_start(arguments, format);
        wvsprintfA(line, format, arguments);
        va_end(arguments);
        const int n = lstrlenA(line);
        if (used + n + 2 < sizeof bytes) {
            memcpy(bytes + used, line, n);
            memcpy(bytes + used + n, "\r\n", 2);
            used += n + 2;
        }
    }
};

// "calls 12, 15, 20" or "calls 12, 15, 20 and 3997 more".
void Calls(const Evidence& e, char* out, uint32_t size)
{
    LineText text(out, size);
    if (e.count == 0)
        return;
    text.Text(e.count == 1 ? "call " : "calls ");
    for (uint32_t i = 0; i < e.count && i < 3; ++i) {
        if (i)
            text.Text(", ");
        text.Decimal(e.sequence[i]);
    }
    if (e.count > 3)
        text.Text(" and ").Decimal(e.count - 3).Text(" more");
}

void Finding(Text& t, const char* key, const char* value, const char* because, const Evidence& e)
{
    char calls[80];
    Calls(e, calls, sizeof calls);
    t.Line("%s: %s  (%s%s%s)", key, value, because, calls[0] ? ": " : "", calls);
}

Evidence Union(const Evidence& a, const Evidence& b)
{
    Evidence u = a;
    for (uint32_t i = 0; i < b.count && i < 3; ++i)
        u.Add(b.sequence[i]);
    u.count = a.count + b.count;
    return u;
}

void Findings(Text& t)
{
    const Profile& p = g_profile;
    Evidence took = {}, left = {}, pumped = {};
    for (uint32_t s = 0; s < kRecordedServices; ++s) {
        took = Union(took, p.services[s].tookArguments);
        left = Union(left, p.services[s].leftArguments);
        if (s != kServiceShowWarning && s != kServiceStopExperiment)
            pumped = Union(pumped, Union(p.services[s].process, p.services[s].handler));
    }
    if (took.count && left.count)
        Finding(t, "services", "mixed", "some took their arguments off the stack (stdcall), some left them", took);
    else if (took.count)
        Finding(t, "services", "stdcall", "every service took its arguments off the stack", took);
    else
        Finding(t, "services", "cdecl", "every service left its arguments on the stack", left);

    // The state most process calls find; without any, the one most calls find.
    const FpuSeen* main = nullptr;
    for (uint32_t i = 0; i < p.fpuCount; ++i) {
        const FpuSeen& f = p.fpu[i];
        if (!main || (f.process && !main->process) || (f.process == main->process && f.calls.count > main->calls.count))
            main = &f;
    }
    char value[40];
    if (main) {
        text::Format(value, sizeof value, "0x%04X", main->control);
        Finding(t, "x87 control word", value, main->process ? "process calls find it" : "calls into the plug-in find it",
                main->calls);
        text::Format(value, sizeof value, "0x%02X", main->flags);
        Finding(t, "x87 status flags", value, "raised when calls come in", main->calls);
        text::Format(value, sizeof value, "0x%04X", main->mxcsr);
        Finding(t, "sse control word", value, main->mxcsr ? "as calls find it" : "no SSE, or none read", main->calls);
    }

    const ServiceSeen& stop = p.services[kServiceStopExperiment];
    if (stop.runEnd.count)
        Finding(t, "stop experiment", "at once", "a run end came inside StopExperiment", stop.runEnd);
    else if (stop.calls.count)
        Finding(t, "stop experiment", "when the host's loop gets to it", "StopExperiment returned with no run end inside",
                stop.calls);
    else
        t.Line("stop experiment: never asked");

    const ServiceSeen& warn = p.services[kServiceShowWarning];
    const Evidence inWarning = Union(warn.process, warn.handler);
    if (inWarning.count)
        Finding(t, "warnings", "pump the run", "the plug-in was called inside ShowWarning", inWarning);
    else if (warn.calls.count)
        Finding(t, "warnings", "return without running anything", "nothing came inside ShowWarning", warn.calls);
    else
        t.Line("warnings: never shown");

    const ServiceSeen& size = p.services[kServiceChangeModuleSize];
    if (size.dialog.count)
        Finding(t, "size changes", "pump the dialogs", "the plug-in's dialog got messages inside ChangeModuleSize", size.dialog);
    else if (size.calls.count)
        Finding(t, "size changes", "return without sending the dialogs anything", "no dialog message inside ChangeModuleSize",
                size.calls);
    else
        t.Line("size changes: never asked");

    if (pumped.count)
        Finding(t, "other services", "pump the run", "the plug-in was called inside another service", pumped);
    else
        t.Line("other services: return without running anything");

    Evidence process = {};
    for (uint32_t i = 0; i < p.threadCount; ++i)
        process.Add(p.threads[i].lastSequence);
    text::Format(value, sizeof value, "%lu", p.threadCount);
    Finding(t, "process threads", value, "threads that called a process function, their last calls", process);
}

void Details(Text& t)
{
    const Profile& p = g_profile;
    char calls[80], value[80];
    t.Line("");
    t.Line("Floating point as calls into the plug-in find it");
    for (uint32_t i = 0; i < p.fpuCount; ++i) {
        const FpuSeen& f = p.fpu[i];
        Calls(f.calls, calls, sizeof calls);
        t.Line("  thread %lu, %s: x87 control 0x%04X, status flags 0x%02X, SSE 0x%04X (%s)", f.thread,
               f.process ? "process calls" : "other calls", f.control, f.flags, f.mxcsr, calls);
    }
    t.Line("Process calls");
    if (p.threadCount == 0)
        t.Line("  none");
    for (uint32_t i = 0; i < p.threadCount; ++i) {
        const ProcessThread& th = p.threads[i];
        uint64_t median = 0, p99 = 0;
        uint32_t seen = 0;
        const uint32_t intervals = th.calls > 0 ? th.calls - 1 : 0;
        for (uint32_t b = 0; b < kBuckets && intervals; ++b) {
            const uint32_t before = seen;
            seen += th.buckets[b];
            if (before * 2 < intervals && seen * 2 >= intervals)
                median = BucketFloor(b);
            if (static_cast<uint64_t>(before) * 100 < static_cast<uint64_t>(intervals) * 99 &&
                static_cast<uint64_t>(seen) * 100 >= static_cast<uint64_t>(intervals) * 99)
                p99 = BucketFloor(b);
        }
        char longest[24], med[24], pct[24];
        text::FormatUnsigned64(longest, sizeof longest, th.longest);
        text::FormatUnsigned64(med, sizeof med, median);
        text::FormatUnsigned64(pct, sizeof pct, p99);
        t.Line("  thread %lu: %lu calls, every %s us (median), 99th percentile %s us, longest gap %s us (between "
               "calls %lu and %lu)",
               th.thread, th.calls, med, pct, longest, th.longestBetween[0], th.longestBetween[1]);
    }
    t.Line("Calls that came back into the plug-in inside a host service");
    bool any = false;
    for (uint32_t s = 0; s < kRecordedServices; ++s) {
        const ServiceSeen& v = p.services[s];
        if (!v.process.count && !v.runEnd.count && !v.handler.count && !v.dialog.count)
            continue;
        any = true;
        Calls(Union(Union(v.process, v.runEnd), Union(v.handler, v.dialog)), calls, sizeof calls);
        t.Line("  %s: %lu process calls, %lu run ends, %lu other messages, %lu dialog messages (%s)", ServiceName(s),
               v.process.count, v.runEnd.count, v.handler.count, v.dialog.count, calls);
    }
    if (!any)
        t.Line("  none");
    t.Line("Stack pointer before a call into the plug-in, modulo 16");
    for (uint32_t m = 0; m < 16; ++m) {
        if (!p.stack[m].count)
            continue;
        Calls(p.stack[m], calls, sizeof calls);
        t.Line("  %lu: %lu calls (%s)", m, p.stack[m].count, calls);
    }
    if (p.deepest)
        t.Line("Deepest nesting of calls into the plug-in on one thread: %lu (call %lu)", p.deepest, p.deepestAt);
    t.Line("Runs: %lu", p.runCount);
    for (int i = 0; i < kMostSettings && p.blockSizes[i].calls.count; ++i) {
        Calls(p.blockSizes[i].calls, calls, sizeof calls);
        t.Line("  block size %lu at run preparation (%s)", p.blockSizes[i].value[0], calls);
    }
    for (int i = 0; i < kMostSettings && p.distances[i].calls.count; ++i) {
        Calls(p.distances[i].calls, calls, sizeof calls);
        DoubleText(p.distances[i].value[0], p.distances[i].value[1], value, sizeof value);
        t.Line("  sample distance %s ms at run preparation (%s)", value, calls);
    }
    for (int i = 0; i < kMostSettings && p.channels[i].calls.count; ++i) {
        Calls(p.channels[i].calls, calls, sizeof calls);
        t.Line("  channels %lu in, %lu out at run preparation (%s)", p.channels[i].value[0], p.channels[i].value[1],
               calls);
    }
    for (uint32_t i = 0; i < p.runCount && i < kMostRuns; ++i) {
        const Run& r = p.runs[i];
        t.Line("  run %lu, calls %lu to %lu: %s%s", i + 1, r.first, r.last, r.order,
               p.inRun && i + 1 == p.runCount ? " (not ended when the profile was written)" : "");
    }
}

}  // namespace

bool WriteProfile(const wchar_t* path, const wchar_t* recordingPath)
{
    static Text t;
    t.used = 0;
    char recording[2 * MAX_PATH + 1];
    if (!WideCharToMultiByte(CP_ACP, 0, recordingPath, -1, recording, sizeof recording, nullptr, nullptr))
        lstrcpynA(recording, "(a path this system's code page cannot show)", sizeof recording);
    t.Line("# The host as the Korvu host recorder saw it, from %s.", recording);
    t.Line("# Each finding names the calls it rests on: sequence numbers in that file. korvu_host --host-profile");
    t.Line("# reads the lines up to the first blank line, and becomes this host as far as it can.");
    Findings(t);
    Details(t);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, t.bytes, t.used, &written, nullptr) && written == t.used;
    CloseHandle(file);
    return whole;
}
