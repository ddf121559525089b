// Whether the input module ever hands a block on before its due tick, and
// whether its stamps are the double-precision ones: a million seeded cases
// (sample distances that are not whole milliseconds, block sizes, start ticks
// on both sides of the tick count's wrap, the run's k-th block) under each
// x87 environment a host may leave set (precision, rounding, masks), against
// a reference built for SSE2. Each case asks for the block one tick before
// its due time and at it.
//
// KORVU_EXACTNESS_CASES sets the number of cases per environment.

#include <stdlib.h>

#include "bench/bench_session.h"
#include "sim/reference/double_reference.h"
#include "sim/clock/test_clock.h"
#include "sim/host/host_behaviour.h"

namespace {

struct Counts {
    uint64_t early = 0, late = 0, stampsOff = 0;
};

Counts RunCases(BenchSession& session, sim::Module& m, const sim::FpuEnvironment& environment, uint32_t seed,
               uint64_t cases)
{
    std::mt19937 rng(seed);
    sim::TestClock clock(session.plugin.dll);
    ChannelRecord* record = m.record->pChannelRecord[0];
    OutputChannel* channel = m.record->pOutputChannel[0];
    Counts counts;
    for (uint64_t i = 0; i < cases; ++i) {
        const TimingCase c = SeededTimingCase(rng, i);
        const double ms = c.ms;
        const uint32_t n = c.blockSize, start = c.start, k = c.block;
        sim::SetMilliSecondsPerSample(ms);
        sim::SetBlockSize(n);
        sim::SetExperimentStartTicks(start);
        m.handler(m.record, kMsgPrepareRun, 0, nullptr);
        record->ulSampleCount = k * n;
        const uint32_t due = start + ReferenceDueOffset((k + 1) * n, ms);
        const uint64_t released = sim::ReleasedOutputBlocks(channel);

        bool early;
        {
            sim::HostBehaviourScope host(environment.name);
            clock.Set(due - 1);
            m.process(m.record);
            early = sim::ReleasedOutputBlocks(channel) != released;
            clock.Set(due);
            m.process(m.record);
        }

        counts.early += early;
        counts.late += sim::ReleasedOutputBlocks(channel) == released;
        const double perSample = ReferenceProduct(ms, 0.001);
        counts.stampsOff += sim::LastReleasedSampleDistance(channel) != perSample ||
                            sim::LastReleasedStartTime(channel) != ReferenceProduct(k * n, perSample);
    }
    return counts;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const char* env = getenv("KORVU_EXACTNESS_CASES");
    const uint64_t cases = env && *env ? strtoull(env, nullptr, 10) : 1000000;
    BenchSession session;
    if (!session.Start())
        return 1;
    sim::SetExperimentRunning(true);
    sim::SetRecordCalls(false);
    sim::SetCaptureOutputBlocks(false);
    sim::Module m = sim::CreateModule(*session.Class("Tovel IN"), sim::HostWindow());
    m.record->uiNumberOfOutputs = 1;
    m.handler(m.record, kMsgReattach, 0, nullptr);
    uint32_t seed = 0;
    for (const sim::FpuEnvironment* environment : TestableFpuEnvironments()) {
        const double began = SecondsNow();
        const Counts c = RunCases(session, m, *environment, ++seed, cases);
        printf("%-16s %llu cases, %llu released early, %llu late, %llu with stamps off the reference "
               "(%.1f s)\n", environment->name, static_cast<unsigned long long>(cases), static_cast<unsigned long long>(c.early),
               static_cast<unsigned long long>(c.late), static_cast<unsigned long long>(c.stampsOff),
               SecondsNow() - began);
    }
    m.handler(m.record, kMsgRemove, 0, nullptr);
    sim::DestroyModule(m);
    session.Stop();
    return 0;
}
