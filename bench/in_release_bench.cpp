// How late the input module hands its blocks on, and whether its time stamps
// drift: a long run on a test clock with the host calling at every tick, then
// a short one on the real clock under Wine.

#include <algorithm>
#include <vector>

#include "bench/bench_session.h"
#include "sim/reference/double_reference.h"
#include "sim/clock/test_clock.h"

namespace {

struct Lateness {
    std::vector<uint32_t> ticks;
    void Add(uint32_t late) { ticks.push_back(late); }
    uint32_t Percentile(double p)
    {
        if (ticks.empty())
            return 0;
        std::vector<uint32_t> sorted = ticks;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p / 100.0 * sorted.size()))];
    }
    double Mean() const
    {
        double sum = 0;
        for (uint32_t t : ticks)
            sum += t;
        return ticks.empty() ? 0 : sum / ticks.size();
    }
};

sim::Module PreparedInput(BenchSession& session, double ms, uint32_t blockSize, uint32_t start)
{
    sim::SetMilliSecondsPerSample(ms);
    sim::SetBlockSize(blockSize);
    sim::SetExperimentStartTicks(start);
    sim::Module m = sim::CreateModule(*session.Class("Tovel IN"), sim::HostWindow());
    m.record->uiNumberOfOutputs = 1;
    m.handler(m.record, kMsgReattach, 0, nullptr);
    m.handler(m.record, kMsgPrepareRun, 0, nullptr);
    return m;
}

void Finish(sim::Module& m)
{
    m.handler(m.record, kMsgEndRun, 0, nullptr);
    m.handler(m.record, kMsgRemove, 0, nullptr);
    sim::DestroyModule(m);
}

// Due tick of block k: the nominal end of its span, in double precision.
uint32_t Due(uint32_t start, uint64_t k, uint32_t n, double ms)
{
    return start + ReferenceDueOffset(static_cast<uint32_t>((k + 1) * n), ms);
}

void SimulatedClock(BenchSession& session)
{
    const uint64_t kBlocks = 1000000;
    const uint32_t n = 10;
    const double ms = 0.7;  // 7 ticks per block, and not a round number of seconds
    const uint32_t start = 0xFFFFFFFFu - 3000000;  // crosses the tick count's wrap on the way
    sim::TestClock clock(session.plugin.dll, start);
    sim::Module m = PreparedInput(session, ms, n, start);
    OutputChannel* channel = m.record->pOutputChannel[0];

    Lateness late;
    uint64_t released = 0;
    uint64_t calls = 0;
    double began = SecondsNow();
    while (released < kBlocks) {
        m.process(m.record);
        ++calls;
        uint64_t now = sim::ReleasedOutputBlocks(channel);
        if (now != released) {
            released = now;
            late.Add(clock.Now() - Due(start, released - 1, n, ms));
        }
        clock.Advance(1);
    }
    double seconds = SecondsNow() - began;
    double nominal = (released - 1) * n * ms * 0.001;
    double drift = sim::LastReleasedStartTime(channel) - nominal;

    printf("simulated clock: %llu blocks of %u samples at %.1f ms, %llu process calls (one per tick), %.1f s\n",
           static_cast<unsigned long long>(released), n, ms, static_cast<unsigned long long>(calls), seconds);
    printf("  release lateness: max %u ticks, mean %.3f ticks\n", late.Percentile(100), late.Mean());
    printf("  stamp of the last block %.9f s, nominal %.9f s, drift %.3g s\n",
           sim::LastReleasedStartTime(channel), nominal, drift);
    Finish(m);
}

void RealClock(BenchSession& session)
{
    const uint32_t n = 10;
    const double ms = 1.0;  // 10 ms blocks
    const uint32_t runMs = 3000;
    uint32_t start = GetTickCount();
    sim::Module m = PreparedInput(session, ms, n, start);
    OutputChannel* channel = m.record->pOutputChannel[0];
    Lateness late;
    uint64_t released = 0;
    while (GetTickCount() - start < runMs) {
        m.process(m.record);
        uint64_t now = sim::ReleasedOutputBlocks(channel);
        if (now != released) {
            released = now;
            late.Add(GetTickCount() - Due(start, released - 1, n, ms));
        }
        Sleep(1);  // a host that calls about once a millisecond
    }
    printf("real clock under Wine: %llu blocks of 10 ms in %u ms, host calling about every millisecond\n",
           static_cast<unsigned long long>(released), runMs);
    printf("  release lateness in ms: p50 %u, p90 %u, p99 %u, max %u\n", late.Percentile(50), late.Percentile(90),
           late.Percentile(99), late.Percentile(100));
    Finish(m);
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    BenchSession session;
    if (!session.Start())
        return 1;
    sim::SetExperimentRunning(true);
    sim::SetCaptureOutputBlocks(false);  // a million blocks are counted, not kept
    SimulatedClock(session);
    RealClock(session);
    session.Stop();
    return 0;
}
