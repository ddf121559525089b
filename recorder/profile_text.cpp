// The profile written out: the findings a person reads first (and
// korvu_host --host-profile reads back), then the details they rest on.

#include "recorder/profile.h"

#include <windows.h>
#include <stdarg.h>
#include <string.h>

#include "guest/guest_self.h"
#include "guest/line_text.h"
#include "host/format_text.h"
#include "recorder/profile_state.h"
#include "recorder/record_lines.h"

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
    ShownPath(recordingPath, recording, sizeof recording);
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
