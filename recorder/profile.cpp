// The seeing half of the profile: what each record shows of the host.

#include "recorder/profile.h"

#include <windows.h>
#include <string.h>

#include "host/format_text.h"
#include "host/host_messages.h"
#include "recorder/profile_state.h"

Profile g_profile;

uint64_t BucketFloor(uint32_t bucket)
{
    if (bucket < 64)
        return bucket;
    const uint32_t power = (bucket - 64) / 64 + 6;
    return (static_cast<uint64_t>(64 + (bucket - 64) % 64)) << (power - 6);
}

namespace {

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
