#include "sim/workbench/bench.h"

#include <string.h>

#include <algorithm>

namespace workbench {

namespace {

const uint32_t kStartTicks = 1000000;

template <typename Matches>
bool FindKind(Matches matches, ModuleKindId* found)
{
    for (int id = 0; id < kModuleKinds; ++id) {
        if (matches(KindOf(static_cast<ModuleKindId>(id)))) {
            *found = static_cast<ModuleKindId>(id);
            return true;
        }
    }
    return false;
}

std::unique_ptr<BenchModule> NewModule(ModuleKindId kind)
{
    const ModuleClassDescriptor* cls = sim::RegisteredClass(KindOf(kind).className);
    if (!cls)
        return nullptr;
    std::unique_ptr<BenchModule> m(new BenchModule);
    m->kind = kind;
    m->module = sim::CreateModule(*cls, sim::HostWindow());
    for (int c = 0; c < kMaxModuleChannels && IsFed(*m); ++c)
        m->sources.push_back(engine::DefaultSource(c));
    return m;
}

// A record's text field holds as many bytes as it can, a zero only when
// there is room, as the settings dialog leaves it.
void CopyField(char* field, size_t size, const std::string& text)
{
    memset(field, 0, size);
    memcpy(field, text.data(), std::min(size, text.size()));
}

// The run's modules in the engine's terms: every output fed on its channels,
// every input watched.
void Assemble(Bench& bench)
{
    engine::Experiment& e = bench.experiment;
    e = engine::Experiment();
    e.blockSize = bench.blockSize;
    e.msPerSample = bench.msPerSample;
    e.startTicks = kStartTicks;
    e.blocksToFeed = -1;
    for (auto& m : bench.modules) {
        if (IsFed(*m)) {
            engine::FedModule f;
            f.module = &m->module;
            f.sources.assign(m->sources.begin(), m->sources.begin() + Channels(*m));
            e.outputs.push_back(f);
        } else {
            e.inputs.push_back({&m->module, 0});
        }
    }
}

// A block Tovel IN handed on, kept for the live view while it is in the
// last kLiveSeconds of its channel.
void KeepLive(Bench& bench, const OutputChannel* channel, const DataBlock* block)
{
    LiveChannel& live = bench.live[channel];
    LiveBlock b;
    b.start = block->dStartTime;
    b.distance = block->dSampleDistance;
    const float* samples = BlockSamples(block);
    for (uint32_t j = 0; j < block->wNumberOfSamples; ++j)
        b.levels.push_back(samples[j] != 0.0f);
    live.blocks.push_back(std::move(b));
    while (live.blocks.size() > 1 && live.blocks.front().End() < live.End() - kLiveSeconds)
        live.blocks.pop_front();
}

}  // namespace

bool KindNamed(const std::string& className, ModuleKindId* kind)
{
    return FindKind([&](const ModuleKind& k) { return className == k.className; }, kind);
}

bool KindCommanded(uint32_t command, ModuleKindId* kind)
{
    return FindKind([&](const ModuleKind& k) { return command == k.commandId; }, kind);
}

bool IsFed(ModuleKindId kind)
{
    return KindOf(kind).channelsAreInputs;
}

bool IsFed(const BenchModule& m)
{
    return IsFed(m.kind);
}

uint32_t Channels(const BenchModule& m)
{
    return std::min<uint32_t>(ChannelCount(KindOf(m.kind), m.module.record), kMaxModuleChannels);
}

uint16_t Slot(const BenchModule& m)
{
    return LogSlot(m.module.record);
}

uint16_t Port(const BenchModule& m)
{
    return ::Port(KindOf(m.kind), m.module.record);
}

BenchModule* PlaceModule(Bench& bench, ModuleKindId kind)
{
    std::unique_ptr<BenchModule> m = NewModule(kind);
    if (!m)
        return nullptr;
    if (m->module.handler(m->module.record, kMsgCreate, 0, nullptr) != 1) {
        sim::DestroyModule(m->module);
        return nullptr;
    }
    bench.modules.push_back(std::move(m));
    return bench.modules.back().get();
}

void OpenModule(Bench&, BenchModule& m)
{
    sim::SetCurrentModulePtr(m.module.record);
    m.module.handler(m.module.record, kMsgSettings, 0, nullptr);
}

bool RemoveModule(Bench& bench, size_t index)
{
    if (bench.running || index >= bench.modules.size())
        return false;
    BenchModule& m = *bench.modules[index];
    m.module.handler(m.module.record, kMsgRemove, 0, nullptr);
    if (sim::CurrentModulePtr() == m.module.record)
        sim::SetCurrentModulePtr(nullptr);
    sim::DestroyModule(m.module);
    bench.modules.erase(bench.modules.begin() + index);
    bench.experiment = engine::Experiment();  // it pointed at the modules of the last run
    return true;
}

void RemoveAllModules(Bench& bench)
{
    if (bench.running)
        StopRun(bench);
    while (!bench.modules.empty())
        RemoveModule(bench, bench.modules.size() - 1);
}

BenchModule* RestoreModule(Bench& bench, ModuleKindId kind, const std::string& name, const std::string& description,
                           uint32_t channels, const std::vector<uint8_t>& instance)
{
    std::unique_ptr<BenchModule> m = NewModule(kind);
    if (!m)
        return nullptr;
    if (instance.size() != m->module.instanceDataSize) {
        sim::DestroyModule(m->module);
        return nullptr;
    }
    ModuleRecord* r = m->module.record;
    CopyField(r->szModuleName, sizeof r->szModuleName, name);
    CopyField(r->szDescription, sizeof r->szDescription, description);
    SetChannelCount(KindOf(kind), r, channels);
    memcpy(m->module.instanceData, instance.data(), instance.size());
    m->module.handler(r, kMsgReattach, 0, nullptr);  // a missing board is the plug-in's to warn about
    bench.modules.push_back(std::move(m));
    return bench.modules.back().get();
}

bool StartRun(Bench& bench)
{
    if (bench.running)
        return true;
    Assemble(bench);
    bench.live.clear();  // each run starts clean
    bench.stoppedByPlugin = false;
    sim::SetOutputBlockObserver([&bench](OutputChannel* channel, const DataBlock* block) { KeepLive(bench, channel, block); });
    bench.clock.reset(new sim::TestClock(bench.plugin, kStartTicks));
    if (!bench.clock->Installed()) {
        sim::ReportProblem("the plug-in's GetTickCount could not be taken over: no run on the bench's clock");
        bench.clock.reset();
        return false;
    }
    bench.stopsSeen = sim::StopCount();
    if (engine::StartRun(bench.experiment)) {
        engine::EndRun(bench.experiment);  // every module ends the run it was prepared for, or refused
        bench.clock.reset();
        return false;
    }
    bench.running = true;
    bench.paused = false;
    return true;
}

void PauseRun(Bench& bench, bool paused)
{
    if (!bench.running)
        return;
    bench.paused = paused;
    sim::SetExperimentPaused(paused);
}

void StopRun(Bench& bench)
{
    if (!bench.running)
        return;
    engine::EndRun(bench.experiment);
    sim::SetOutputBlockObserver(nullptr);
    sim::SetExperimentPaused(false);
    bench.running = false;
    bench.paused = false;
    bench.clock.reset();
}

void Advance(Bench& bench, uint32_t ms)
{
    for (uint32_t i = 0; i < ms && bench.running; ++i) {
        ++bench.experiment.t;
        if (bench.paused) {
            bench.clock->Set(bench.experiment.startTicks + static_cast<uint32_t>(bench.experiment.t));
            continue;
        }
        engine::HostTick(bench.experiment, *bench.clock);
        if (sim::StopCount() != bench.stopsSeen) {
            StopRun(bench);  // the plug-in asked for it
            bench.stoppedByPlugin = true;
        }
    }
}

std::vector<WarningGroup> TakeWarnings(Bench& bench)
{
    std::vector<WarningGroup> groups;
    const std::vector<sim::Warning>& all = sim::Warnings();
    for (; bench.warningsShown < all.size(); ++bench.warningsShown) {
        const sim::Warning& w = all[bench.warningsShown];
        auto same = std::find_if(groups.begin(), groups.end(), [&](const WarningGroup& g) {
            return g.caption == w.caption && g.text == w.text;
        });
        if (same != groups.end())
            ++same->count;
        else
            groups.push_back({w.caption, w.text, 1});
    }
    return groups;
}

}  // namespace workbench
