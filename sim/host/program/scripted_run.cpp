#include "sim/host/program/scripted_run.h"

#include <math.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "sim/engine/experiment.h"
#include "sim/harness/double_reference.h"
#include "sim/host/program/module_setup.h"
#include "sim/host/program/report.h"
#include "sim/host/program/timing_diagram.h"
#include "sim/host/program/transfer_trace.h"
#include "sim/host/host_behaviour.h"

namespace {

// Every file a run writes: a run removes them first, so that nothing of an
// earlier run is left beside a failed one, and touches nothing else.
const char* const kRunFiles[] = {"report.txt", "timing.png", "transfers.csv", "hardware_selection_out.png",
                                 "hardware_selection_in.png", "settings_out.png", "settings_in.png"};

struct Difference {
    long long sample = -1;  // the first differing sample, counted from the run's start; -1 none
    int channel = 0;
    bool written = false, read = false;
};

struct ScriptedRun {
    ScriptedRun(HostSession& s, const HostOptions& o) : session(s), options(o) {}
    HostSession& session;
    const HostOptions& options;
    Report report;
    Placed out, in;
    engine::Experiment experiment;
    TransferClock transfers;
    std::string refusal;                          // why run preparation was refused
    std::vector<std::vector<bool>> readBack;
    uint64_t released = 0;                        // blocks Tovel IN handed on
    long differing = 0, compared = 0;
    Difference first;
    std::vector<std::string> reasons;             // why the run was not as expected

    std::string File(const char* name) const { return options.outDir + "\\" + name; }
    const std::vector<std::vector<bool>>& Written() const { return experiment.outputs[0].written; }
};

bool PlaceModules(ScriptedRun& r)
{
    const HostOptions& o = r.options;
    r.out = Place(r.session, "Tovel OUT", o.slot, o.port, r.File("hardware_selection_out.png"));
    r.in = Place(r.session, "Tovel IN", o.slot, o.port, r.File("hardware_selection_in.png"));
    if (!r.out.ok || !r.in.ok) {
        r.report("could not place the modules: no board at slot %d with output and input port %d free "
                 "(the boards loaded are listed above)\n", o.slot, o.port);
        return false;
    }
    const std::wstring waves = std::to_wstring(o.channels) + L" square waves";
    const std::wstring readBack = L"port " + std::to_wstring(o.port) + L" read back";
    const bool configured =
        Configure(r.out.module, L"Pattern", waves.c_str(), L"wave ", o.channels, r.File("settings_out.png")) &&
        Configure(r.in.module, L"Readback", readBack.c_str(), L"bit ", o.channels, r.File("settings_in.png"));
    r.report("\nModules\n");
    r.report("  %-9s \"%.13s\" on %s, %s, %u channels\n", "Tovel OUT", r.out.module.record->szModuleName,
             r.out.board.c_str(), r.out.port.c_str(), r.out.module.record->uiNumberOfInputs);
    r.report("  %-9s \"%.13s\" on %s, %s, %u channels\n", "Tovel IN", r.in.module.record->szModuleName,
             r.in.board.c_str(), r.in.port.c_str(), r.in.module.record->uiNumberOfOutputs);
    const uint32_t wanted = static_cast<uint32_t>(o.channels);
    if (!configured || r.out.module.record->uiNumberOfInputs != wanted || r.in.module.record->uiNumberOfOutputs != wanted) {
        r.report("the settings dialogs did not leave both modules with %d channels\n", o.channels);
        return false;
    }
    return true;
}

// The run on the host's own clock, until every block is back, the plug-in
// stops the experiment, or the time for every block has long passed.
void Run(ScriptedRun& r)
{
    engine::Experiment& e = r.experiment;
    const HostOptions& o = r.options;
    e.blockSize = o.blockSize;
    e.msPerSample = o.msPerSample;
    e.blocksToFeed = o.blocks;
    e.outputs.push_back({&r.out.module, {}, {}, 0});
    for (int c = 0; c < o.channels; ++c)
        e.outputs[0].sources.push_back(engine::DefaultSource(c));
    e.inputs.push_back({&r.in.module, {}, 0});
    sim::SetRecordCalls(false);
    sim::TestClock clock(r.session.plugin.dll, e.startTicks);
    if (!clock.Installed()) {
        r.refusal = "the plug-in's GetTickCount could not be taken over: no run on the simulated clock";
        return;
    }
    const size_t warningsBefore = sim::Warnings().size();
    const sim::Module* refused = engine::StartRun(e);
    r.report("\nRun: %d blocks of %d samples, %.1f ms per sample; run preparation OUT %d, IN %d\n", o.blocks,
             o.blockSize, o.msPerSample, e.outputs[0].prepared, e.inputs[0].prepared);
    if (refused) {
        r.refusal = std::string("run preparation refused by ") + (refused == &r.out.module ? "Tovel OUT" : "Tovel IN");
        if (sim::Warnings().size() > warningsBefore) {
            const sim::Warning& w = sim::Warnings()[warningsBefore];
            r.refusal += ": " + DescribeWarning(w.caption, w.text);
        }
        return;
    }
    const uint64_t blockTicks = static_cast<uint64_t>(ceil(o.blockSize * o.msPerSample));
    const uint64_t lastTick = (o.blocks + 1) * blockTicks + 1;
    r.transfers.Note(r.session.driver, 0);
    while (e.t <= lastTick) {
        engine::HostTick(e, clock);
        r.transfers.Note(r.session.driver, e.t);
        if (sim::StopCount() > 0 || engine::ReleasedBlocks(e.inputs[0]) >= static_cast<uint64_t>(o.blocks))
            break;
        engine::AdvanceToNextEvent(e);
    }
}

// What came back, channel by channel, against what went out.
void Compare(ScriptedRun& r)
{
    r.released = engine::ReleasedBlocks(r.experiment.inputs[0]);
    r.report("\nBlocks and samples per channel\n");
    r.readBack.resize(r.options.channels);
    for (int c = 0; c < r.options.channels; ++c) {
        const std::vector<sim::CapturedBlock>& blocks = sim::CapturedBlocks(r.in.module.record->pOutputChannel[c]);
        for (const sim::CapturedBlock& b : blocks) {
            for (float s : b.samples)
                r.readBack[c].push_back(s == engine::kHighVolts);
        }
        const std::vector<bool>& written = r.Written()[c];
        const size_t common = std::min(r.readBack[c].size(), written.size());
        for (size_t j = 0; j < common; ++j) {
            if (r.readBack[c][j] == written[j])
                continue;
            ++r.differing;
            if (r.first.sample < 0 || static_cast<long long>(j) < r.first.sample)
                r.first = {static_cast<long long>(j), c, written[j], r.readBack[c][j]};
        }
        r.compared += static_cast<long>(common);
        r.report("  channel %d: OUT took %llu blocks (%zu samples), IN handed on %zu blocks (%zu samples)\n", c,
                 static_cast<unsigned long long>(sim::ReleasedInputBlocks(r.out.module.record, c)), written.size(),
                 blocks.size(), r.readBack[c].size());
    }
    r.report("Bits that differ between what went out and what came back: %ld of %ld\n", r.differing, r.compared);
    if (sim::Behaving(sim::kServicesPumpTheRun))
        r.report("  (not judged: a host whose services run its loop calls Tovel IN while Tovel OUT is half-way "
                 "through a block, so what is read back depends on where the host called it)\n");
}

void ReportLateness(ScriptedRun& r)
{
    const std::vector<uint32_t>& ticks = r.experiment.inputs[0].releaseTicks;
    if (ticks.empty())
        return;
    uint32_t worst = 0;
    double sum = 0;
    for (size_t k = 0; k < ticks.size(); ++k) {
        const uint32_t samples = static_cast<uint32_t>((k + 1) * r.options.blockSize);
        const uint32_t late = ticks[k] - (r.experiment.startTicks + ReferenceDueOffset(samples, r.options.msPerSample));
        worst = std::max(worst, late);
        sum += late;
    }
    r.report("Release lateness of the input blocks: max %u ms, mean %.2f ms (host calling every millisecond)\n", worst,
             sum / ticks.size());
}

bool WriteFiles(ScriptedRun& r)
{
    const TraceSummary trace = WriteTransferTrace(r.File("transfers.csv"), r.session.driver, r.transfers);
    if (trace.dropped > 0)
        r.report("The transfer trace is cut short: the driver kept the first %u transfers, %u later ones are missing\n",
                 trace.kept, trace.dropped);
    TimingDiagram d;
    d.written = &r.Written();
    d.readBack = &r.readBack;
    d.blockSize = r.options.blockSize;
    d.msPerSample = r.options.msPerSample;
    d.firstBlock = r.options.diagramFirstBlock;
    d.blocks = r.options.diagramBlocks;
    d.failedWrites = trace.failedWrites;
    char title[160];
    snprintf(title, sizeof title, "Tovel OUT on output port %d over Tovel IN on input port %d, slot %d",
             r.options.port, r.options.port, r.options.slot);
    d.title = title;
    const bool diagram = WriteTimingDiagram(r.File("timing.png"), d);
    return trace.written && diagram && !ferror(r.report.file);
}

void Judge(ScriptedRun& r, size_t allocationsLeft, bool filesWritten)
{
    const HostOptions& o = r.options;
    std::vector<std::string>& why = r.reasons;
    char text[256];
    if (!r.refusal.empty()) {
        why.push_back(r.refusal);
    } else if (o.failAfterWrites > 0) {
        const uint32_t writes = r.session.driver.TovelSimCalls("TovelOutPort");
        if (writes <= static_cast<uint32_t>(o.failAfterWrites)) {
            snprintf(text, sizeof text, "the board was to be pulled after %d port writes, but the run made only %u: "
                     "the fault was never reached", o.failAfterWrites, writes);
            why.push_back(text);
        } else if (sim::StopCount() == 0) {
            why.push_back("the board was pulled, but the plug-in did not stop the experiment");
        }
    } else {
        if (r.first.sample >= 0 && !sim::Behaving(sim::kServicesPumpTheRun)) {
            snprintf(text, sizeof text, "first differing bit: block %lld, sample %lld, channel %d: written %d, read %d",
                     r.first.sample / o.blockSize, r.first.sample % o.blockSize, r.first.channel, r.first.written,
                     r.first.read);
            why.push_back(text);
        }
        if (r.released != static_cast<uint64_t>(o.blocks)) {
            snprintf(text, sizeof text, "Tovel IN handed on %llu of %d blocks",
                     static_cast<unsigned long long>(r.released), o.blocks);
            why.push_back(text);
        }
        if (!sim::Warnings().empty())
            why.push_back("the plug-in warned: " + DescribeWarning(sim::Warnings()[0].caption, sim::Warnings()[0].text));
    }
    if (allocationsLeft > 0)
        why.push_back(std::to_string(allocationsLeft) + " allocations of the plug-in were never freed");
    if (!filesWritten)
        why.push_back("could not write every file in " + o.outDirShown);
}

// Run end and removal, then what the host saw of the plug-in.
size_t Close(ScriptedRun& r)
{
    engine::EndRun(r.experiment);
    for (sim::Module* m : {&r.out.module, &r.in.module})
        m->handler(m->record, 102, 0, nullptr);
    ReportWarnings(r.report);
    r.report("Experiment stops asked for: %d\n", sim::StopCount());
    const size_t left = sim::LiveAllocations().size();
    r.report("Allocations left: %zu\n", left);
    return left;
}

int Finish(ScriptedRun& r)
{
    r.report("\nPictures, report and transfer trace: %s\n", r.options.outDirShown.c_str());
    r.report("Result: %s\n", r.reasons.empty() ? "as expected" : "NOT as expected");
    for (const std::string& reason : r.reasons)
        r.report("  because %s\n", reason.c_str());
    fclose(r.report.file);
    return r.reasons.empty() ? 0 : 1;
}

}  // namespace

int RunScriptedExperiment(HostSession& session, const HostOptions& options)
{
    for (const char* name : kRunFiles)
        DeleteFileA((options.outDir + "\\" + name).c_str());
    ScriptedRun r(session, options);
    r.report.file = fopen(r.File("report.txt").c_str(), "w");
    if (!r.report.file) {
        printf("korvu_host: cannot write %s\\report.txt\n", options.outDirShown.c_str());
        return 1;
    }
    ReportBoards(r.report, session.driver);
    const std::string behaviours = sim::HostBehaviours();
    r.report("\nHost behaviours: %s\n", behaviours == "none" ? "none (the polite host)" : behaviours.c_str());
    r.report("\nSetupKorvuDLL returned %d (%u names asked, %u variables announced)\n", session.setupResult,
             static_cast<unsigned>(sim::Lookups().size()), static_cast<unsigned>(sim::Announcements().size()));
    if (session.setupResult != 1 || !PlaceModules(r)) {
        r.reasons.push_back(session.setupResult != 1 ? "SetupKorvuDLL refused" : "the modules could not be set up");
        return Finish(r);
    }
    Run(r);
    Compare(r);
    ReportLateness(r);
    r.report("Port transfers: %u writes, %u reads\n", session.driver.TovelSimCalls("TovelOutPort"),
             session.driver.TovelSimCalls("TovelInPort"));
    const size_t left = Close(r);
    const bool filesWritten = WriteFiles(r);
    sim::DestroyModule(r.out.module);
    sim::DestroyModule(r.in.module);
    Judge(r, left, filesWritten);
    return Finish(r);
}
