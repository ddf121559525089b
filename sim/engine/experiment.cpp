#include "sim/engine/experiment.h"

#include <math.h>

#include <algorithm>

#include "sim/reference/double_reference.h"

namespace engine {

namespace {

// The tick from which block k of every output channel is fed: as a source
// sampled in real time has it.
uint64_t FeedTick(const Experiment& e, long long k)
{
    return static_cast<uint64_t>(trunc(static_cast<double>(k) * e.blockSize * e.msPerSample));
}

bool MoreToFeed(const Experiment& e)
{
    return e.blocksToFeed < 0 || e.fed < e.blocksToFeed;
}

void Feed(Experiment& e)
{
    for (FedModule& f : e.outputs) {
        for (size_t c = 0; c < f.sources.size(); ++c) {
            const bool level = SourceLevel(f.sources[c], e.fed);
            sim::QueueInputBlock(f.module->record, static_cast<uint32_t>(c),
                                 std::vector<float>(e.blockSize, level ? kHighVolts : 0.0f));
        }
    }
    ++e.fed;
}

}  // namespace

sim::Module* StartRun(Experiment& e)
{
    sim::SetBlockSize(static_cast<uint32_t>(e.blockSize));
    sim::SetMilliSecondsPerSample(e.msPerSample);
    sim::SetExperimentStartTicks(e.startTicks);
    sim::SetExperimentPaused(false);
    e.t = 0;
    e.fed = 0;
    sim::Module* refused = nullptr;
    for (FedModule& f : e.outputs) {
        f.prepared = f.module->handler(f.module->record, kMsgPrepareRun, 0, nullptr);
        if (f.prepared != 1 && !refused)
            refused = f.module;
    }
    for (WatchedModule& w : e.inputs) {
        w.prepared = w.module->handler(w.module->record, kMsgPrepareRun, 0, nullptr);
        if (w.prepared != 1 && !refused)
            refused = w.module;
    }
    sim::SetExperimentRunning(!refused);
    return refused;
}

void HostTick(Experiment& e, sim::TestClock& clock)
{
    clock.Set(e.startTicks + static_cast<uint32_t>(e.t));
    if (MoreToFeed(e) && e.t >= FeedTick(e, e.fed))
        Feed(e);
    for (FedModule& f : e.outputs)
        f.module->process(f.module->record);
    for (WatchedModule& w : e.inputs)
        w.module->process(w.module->record);
}

void AdvanceToNextEvent(Experiment& e)
{
    // Outputs alone write at every call while blocks wait.
    uint64_t next = e.inputs.empty() ? e.t + 1 : UINT64_MAX;
    for (const WatchedModule& w : e.inputs) {
        const ChannelRecord* first = w.module->record->pChannelRecord[0];
        // Without a pending block the input module fills one at the next call.
        next = std::min(next, first->bBlockPending == 1
                                  ? static_cast<uint64_t>(ReferenceProduct(first->ulSampleCount, e.msPerSample))
                                  : e.t + 1);
    }
    if (MoreToFeed(e))
        next = std::min(next, FeedTick(e, e.fed));
    e.t = std::max(e.t + 1, next);
}

void EndRun(Experiment& e)
{
    for (FedModule& f : e.outputs)
        f.module->handler(f.module->record, kMsgEndRun, 0, nullptr);
    for (WatchedModule& w : e.inputs)
        w.module->handler(w.module->record, kMsgEndRun, 0, nullptr);
    sim::SetExperimentRunning(false);
}

uint64_t ReleasedBlocks(const WatchedModule& w)
{
    return sim::ReleasedOutputBlocks(w.module->record->pOutputChannel[0]);
}

bool FedLevel(const Experiment& e, const FedModule& f, size_t channel, long long sample)
{
    return SourceLevel(f.sources[channel], sample / e.blockSize);
}

}  // namespace engine
