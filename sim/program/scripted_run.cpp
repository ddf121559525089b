#include "sim/program/scripted_run.h"

#include <math.h>
#include <stdio.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/engine/experiment.h"
#include "sim/pictures/screenshot.h"
#include "sim/host/host_behaviour.h"
#include "sim/program/loopback.h"
#include "sim/program/module_setup.h"
#include "sim/program/report.h"
#include "sim/program/run_progress.h"
#include "sim/program/timing_diagram.h"
#include "sim/program/transfer_trace.h"

namespace {

// Every file a run writes: a run removes them first, so that nothing of an
// earlier run is left beside a failed one, and touches nothing else.
const char* const kRunFiles[] = {"report.txt",      "timing.png",          "transfers.csv",
                                 "hardware_selection_out.png", "hardware_selection_in.png", "settings_out.png",
                                 "settings_in.png", kTraceFileName};

// The diagram shows at most this many samples per channel: more could not
// be told apart in its thousand pixels, and each costs memory.
const long long kMostDiagramSamples = 1000000;

struct ScriptedRun {
    ScriptedRun(HostSession& s, const HostOptions& o) : session(s), options(o) {}
    HostSession& session;
    const HostOptions& options;
    Report report;
    Placed out, in;
    engine::Experiment experiment;
    std::unique_ptr<Loopback> loopback;
    TransferTrace trace;
    std::string refusal;                          // why run preparation was refused
    std::string refusalInEnglish;                 // the same, for the diagram
    std::vector<std::string> promised;            // the files the run says it wrote
    std::vector<std::string> reasons;             // why the run was not as expected
    long long stoppedAt = -1;                     // experiment ms of the first stop request
    uint32_t writes = 0;                          // port writes the driver saw

    std::string File(const char* name) const { return options.outDir + "\\" + name; }
    std::string Promise(const char* name)
    {
        promised.push_back(name);
        return File(name);
    }
};

std::string Plural(long long n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool PlaceModules(ScriptedRun& r)
{
    const HostOptions& o = r.options;
    r.out = Place(r.session, "Tovel OUT", o.slot, o.port, r.Promise("hardware_selection_out.png"));
    r.in = Place(r.session, "Tovel IN", o.slot, o.port, r.Promise("hardware_selection_in.png"));
    if (!r.out.ok || !r.in.ok) {
        r.report("could not place the modules: no board at slot %d with output and input port %d free "
                 "(the boards loaded are listed above)\n", o.slot, o.port);
        return false;
    }
    const std::wstring waves = std::to_wstring(o.channels) + L" square waves";
    const std::wstring readBack = L"port " + std::to_wstring(o.port) + L" read back";
    const bool configured =
        Configure(r.out.module, L"Pattern", waves.c_str(), L"wave ", o.channels, r.Promise("settings_out.png")) &&
        Configure(r.in.module, L"Readback", readBack.c_str(), L"bit ", o.channels, r.Promise("settings_in.png"));
    r.report("\nModules\n");
    r.report("  %-9s \"%.13s\" on %s, %s, %s\n", "Tovel OUT", r.out.module.record->szModuleName,
             r.out.board.c_str(), r.out.port.c_str(), Plural(r.out.module.record->uiNumberOfInputs, "channel", "channels").c_str());
    r.report("  %-9s \"%.13s\" on %s, %s, %s\n", "Tovel IN", r.in.module.record->szModuleName,
             r.in.board.c_str(), r.in.port.c_str(), Plural(r.in.module.record->uiNumberOfOutputs, "channel", "channels").c_str());
    const uint32_t wanted = static_cast<uint32_t>(o.channels);
    if (!configured || r.out.module.record->uiNumberOfInputs != wanted || r.in.module.record->uiNumberOfOutputs != wanted) {
        r.report("the settings dialogs did not leave both modules with %s\n",
                 Plural(o.channels, "channel", "channels").c_str());
        return false;
    }
    return true;
}

void SetUpExperiment(ScriptedRun& r)
{
    engine::Experiment& e = r.experiment;
    const HostOptions& o = r.options;
    e.blockSize = o.blockSize;
    e.msPerSample = o.msPerSample;
    e.blocksToFeed = o.blocks;
    e.outputs.push_back({&r.out.module, {}, 0});
    for (int c = 0; c < o.channels; ++c)
        e.outputs[0].sources.push_back(engine::DefaultSource(c));
    e.inputs.push_back({&r.in.module, 0});
    const long long first = static_cast<long long>(o.diagramFirstBlock) * o.blockSize;
    const long long count = std::min({static_cast<long long>(o.diagramBlocks) * o.blockSize,
                                      static_cast<long long>(o.blocks) * o.blockSize - first, kMostDiagramSamples});
    r.loopback.reset(new Loopback(e, r.in.module, o.channels, first, count));
    sim::SetRecordCalls(false);
    sim::SetCaptureOutputBlocks(false);  // the loopback looks at each block as it goes by
    sim::SetOutputBlockObserver([&r](OutputChannel* channel, const DataBlock* block) {
        r.loopback->Observe(channel, block);
    });
    r.trace.Open(r.Promise("transfers.csv"), static_cast<uint64_t>(o.traceLimit), first, count);
}

// The run on the host's own clock, until every block is back, the plug-in
// stops the experiment, or the time for every block has long passed.
void Run(ScriptedRun& r)
{
    engine::Experiment& e = r.experiment;
    const HostOptions& o = r.options;
    sim::TestClock clock(r.session.plugin.dll, e.startTicks);
    if (!clock.Installed()) {
        r.refusal = "the plug-in's GetTickCount could not be taken over: no run on the simulated clock";
        r.refusalInEnglish = r.refusal;
        return;
    }
    const size_t warningsBefore = sim::Warnings().size();
    const sim::Module* refused = engine::StartRun(e);
    r.report("\nRun: %s of %s, %g ms per sample; run preparation OUT %d, IN %d\n",
             Plural(o.blocks, "block", "blocks").c_str(), Plural(o.blockSize, "sample", "samples").c_str(),
             o.msPerSample, e.outputs[0].prepared, e.inputs[0].prepared);
    if (refused) {
        r.refusal = std::string("run preparation refused by ") + (refused == &r.out.module ? "Tovel OUT" : "Tovel IN");
        r.refusalInEnglish = r.refusal;
        if (sim::Warnings().size() > warningsBefore) {
            const sim::Warning& w = sim::Warnings()[warningsBefore];
            r.refusal += ": " + DescribeWarning(w.caption, w.text);
            r.refusalInEnglish += ": " + WarningInEnglish(w.caption, w.text);
        }
        return;
    }
    const uint64_t blockTicks = static_cast<uint64_t>(ceil(o.blockSize * o.msPerSample));
    const uint64_t lastTick = (o.blocks + 1) * blockTicks + 1;
    RunProgress progress(static_cast<uint64_t>(o.blocks), static_cast<uint64_t>(o.blockSize));
    r.trace.Drain(r.session.driver, 0, WriteOrder{});
    while (e.t <= lastTick) {
        const WriteOrder order{static_cast<long long>(sim::ReleasedInputBlocks(r.out.module.record, 0)), o.blockSize};
        engine::HostTick(e, clock);
        r.trace.Drain(r.session.driver, static_cast<long long>(e.t), order);
        const uint64_t released = engine::ReleasedBlocks(e.inputs[0]);
        r.loopback->NoteReleases(released, clock.Now());
        progress.Note(released);
        if (sim::StopCount() > 0) {
            r.stoppedAt = static_cast<long long>(e.t);
            break;
        }
        if (released >= static_cast<uint64_t>(o.blocks))
            break;
        engine::AdvanceToNextEvent(e);
    }
}

// What came back, channel by channel, against what went out.
void Compare(ScriptedRun& r)
{
    const Loopback& l = *r.loopback;
    r.report("\nBlocks and samples per channel\n");
    for (int c = 0; c < r.options.channels; ++c) {
        const uint64_t taken = sim::ReleasedInputBlocks(r.out.module.record, c);
        r.report("  channel %d: OUT took %s (%s), IN handed on %s (%s)\n", c,
                 Plural(static_cast<long long>(taken), "block", "blocks").c_str(),
                 Plural(static_cast<long long>(taken * r.options.blockSize), "sample", "samples").c_str(),
                 Plural(static_cast<long long>(l.blocksBack[c]), "block", "blocks").c_str(),
                 Plural(static_cast<long long>(l.samplesBack[c]), "sample", "samples").c_str());
    }
    r.report("Bits that differ between what went out and what came back: %lld of %lld\n", l.differing, l.compared);
    if (sim::Behaving(sim::kServicesPumpTheRun))
        r.report("  (not judged: a host whose services run its loop calls Tovel IN while Tovel OUT is half-way "
                 "through a block, so what is read back depends on where the host called it)\n");
    if (l.releasesTimed > 0)
        r.report("Release lateness of the input blocks: max %u ms, mean %.2f ms (host calling every millisecond)\n",
                 l.latest, l.lateSum / l.releasesTimed);
}

// A board pulled mid-run makes every later write fail: the output module
// stops and warns for each, up to channels x block size in one call.
void ReportFailures(ScriptedRun& r)
{
    const TransferTrace& t = r.trace;
    if (t.failedWrites == 0)
        return;
    r.report("Failed port writes: %llu, the first at %llu ms (channel %d, sample %lld of block %lld); the plug-in "
             "asked the host to stop %d times and warned %u times (below)\n",
             static_cast<unsigned long long>(t.failedWrites), static_cast<unsigned long long>(t.firstFailure.ms),
             t.firstFailure.channel, t.firstFailure.sample % r.options.blockSize,
             t.firstFailure.sample / r.options.blockSize, sim::StopCount(),
             static_cast<unsigned>(sim::Warnings().size()));
}

void WriteDiagram(ScriptedRun& r)
{
    const Loopback& l = *r.loopback;
    TimingDiagram d;
    d.channels = r.options.channels;
    d.written = [&r](int channel, long long sample) {
        return engine::FedLevel(r.experiment, r.experiment.outputs[0], channel, sample);
    };
    d.fed = r.experiment.fed * r.options.blockSize;
    d.readBack = &l.window;
    d.firstSample = l.windowFirst;
    d.samples = l.windowCount;
    d.blockSize = r.options.blockSize;
    d.msPerSample = r.options.msPerSample;
    d.failed = r.trace.inWindow;
    char title[160];
    snprintf(title, sizeof title, "Tovel OUT on output port %d over Tovel IN on input port %d, slot %d",
             r.options.port, r.options.port, r.options.slot);
    d.title = title;
    const bool anyBack = std::any_of(l.window.begin(), l.window.end(), [](const std::vector<uint8_t>& w) {
        return std::any_of(w.begin(), w.end(), [](uint8_t b) { return b != kNotBack; });
    });
    if (!anyBack && !r.refusalInEnglish.empty())
        d.nothingBack = "nothing came back: " + r.refusalInEnglish;
    else if (!anyBack && r.stoppedAt >= 0)
        d.nothingBack = "nothing came back here: the plug-in stopped the run at " + std::to_string(r.stoppedAt) + " ms";
    else if (!anyBack)
        d.nothingBack = "nothing came back here";
    if (!d.nothingBack.empty())
        r.report("Timing diagram: %s\n", d.nothingBack.c_str());
    if (d.samples > 0)
        WriteTimingDiagram(r.Promise("timing.png"), d);
}

void Judge(ScriptedRun& r, size_t allocationsLeft)
{
    const HostOptions& o = r.options;
    const Loopback& l = *r.loopback;
    std::vector<std::string>& why = r.reasons;
    char text[256];
    if (!r.refusal.empty()) {
        why.push_back(r.refusal);
    } else if (o.failAfterWrites > 0) {
        if (r.writes <= static_cast<uint32_t>(o.failAfterWrites)) {
            snprintf(text, sizeof text, "the board was to be pulled after %d port writes, but the run made only %u: "
                     "the fault was never reached", o.failAfterWrites, r.writes);
            why.push_back(text);
        } else if (sim::StopCount() == 0) {
            why.push_back("the board was pulled, but the plug-in did not stop the experiment");
        }
    } else {
        if (l.first.sample >= 0 && !sim::Behaving(sim::kServicesPumpTheRun)) {
            snprintf(text, sizeof text, "first differing bit: block %lld, sample %lld, channel %d: written %d, read %d",
                     l.first.sample / o.blockSize, l.first.sample % o.blockSize, l.first.channel, l.first.written,
                     l.first.read);
            why.push_back(text);
        }
        // More is no fault: Tovel IN reads on as long as the run goes.
        if (l.blocksBack.empty() || l.blocksBack[0] < static_cast<uint64_t>(o.blocks)) {
            snprintf(text, sizeof text, "Tovel IN handed on only %llu of %d blocks",
                     static_cast<unsigned long long>(l.blocksBack.empty() ? 0 : l.blocksBack[0]), o.blocks);
            why.push_back(text);
        }
        if (!sim::Warnings().empty())
            why.push_back("the plug-in warned: " + DescribeWarning(sim::Warnings()[0].caption, sim::Warnings()[0].text));
    }
    if (allocationsLeft > 0)
        why.push_back(std::to_string(allocationsLeft) + " allocations of the plug-in were never freed");
}

// Run end and removal, then what the host saw of the plug-in.
size_t Close(ScriptedRun& r)
{
    engine::EndRun(r.experiment);
    for (sim::Module* m : {&r.out.module, &r.in.module})
        m->handler(m->record, kMsgRemove, 0, nullptr);
    ReportFailures(r);
    ReportWarnings(r.report);
    r.report("Experiment stops asked for: %d\n", sim::StopCount());
    const size_t left = sim::LiveAllocations().size();
    r.report("Allocations left: %zu\n", left);
    return left;
}

std::string NotWhole(const ScriptedRun& r, const std::string& name)
{
    return name + " was not written whole in " + r.options.outDirShown + " (is the disk full?)";
}

// Every file the run said it wrote is there and every byte of it reached the
// disk, or the run failed and says which.
void CheckPromises(ScriptedRun& r)
{
    for (const std::string& name : r.promised) {
        const std::string path = r.File(name.c_str());
        if (GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES)
            r.reasons.push_back(name + " was not written in " + r.options.outDirShown);
        else if (FellShort(path))
            r.reasons.push_back(NotWhole(r, name));
    }
}

std::string Verdict(const ScriptedRun& r)
{
    std::string verdict = std::string("Result: ") + (r.reasons.empty() ? "as expected" : "NOT as expected") + "\n";
    for (const std::string& reason : r.reasons)
        verdict += "  because " + reason + "\n";
    return verdict;
}

// The verdict ends the report; should report.txt itself fall short at its
// last bytes, the console's verdict says so.
int Finish(ScriptedRun& r)
{
    r.report.file.Flush();
    CheckPromises(r);
    const bool reportNamed = FellShort(r.File("report.txt"));
    r.report("\nPictures, report and transfer trace: %s\n", r.options.outDirShown.c_str());
    r.report.file.Print("%s", Verdict(r).c_str());
    if (!r.report.file.Close() && !reportNamed)
        r.reasons.push_back(NotWhole(r, "report.txt"));
    fputs(Verdict(r).c_str(), stdout);
    return r.reasons.empty() ? 0 : 1;
}

}  // namespace

void ClearRunFiles(const HostOptions& options)
{
    for (const char* name : kRunFiles)
        DeleteFileW(Widen(options.outDir + "\\" + name).c_str());
}

bool WriteRefusal(const HostOptions& options, const std::string& why)
{
    const std::string text = why + "\nResult: refused, nothing was run\n";
    return WriteWholeFile(options.outDir + "\\report.txt", text.data(), text.size());
}

int RunScriptedExperiment(HostSession& session, const HostOptions& options)
{
    ScriptedRun r(session, options);
    if (!r.report.file.Open(r.Promise("report.txt"))) {
        fprintf(stderr, "korvu_host: cannot write %s\\report.txt\n", options.outDirShown.c_str());
        return 1;
    }
    ReportDriver(r.session, r.report);
    const int boards = ReportBoards(r.report, session.driver);
    r.report("Board file: %s\n", session.boardFile.empty()
                                     ? "none; the built-in board at slot 0, its outputs wired to its inputs"
                                     : session.boardFileShown.c_str());
    if (!session.boardFile.empty() && boards == 0)
        r.report("  warning: the board file puts in no board (no [boardN] section with present=1)\n");
    const std::string behaviours = sim::HostBehaviours();
    r.report("\nHost behaviours: %s\n", behaviours == "none" ? "none (the polite host)" : behaviours.c_str());
    if (!options.hostProfile.empty())
        r.report("  from the host profile %s\n", AsTheUserKnowsIt(options.hostProfile).c_str());
    for (const std::string& finding : options.notReproduced)
        r.report("  not reproduced: %s\n", finding.c_str());
    r.report("\nSetupKorvuDLL returned %d (%u names asked, %u variables announced)\n", session.setupResult,
             static_cast<unsigned>(sim::Lookups().size()), static_cast<unsigned>(sim::Announcements().size()));
    if (session.setupResult != 1 || !PlaceModules(r)) {
        r.reasons.push_back(session.setupResult != 1 ? "SetupKorvuDLL refused" : "the modules could not be set up");
        return Finish(r);
    }
    SetUpExperiment(r);
    const RunClock clock;
    Run(r);
    const double seconds = clock.Seconds();
    r.trace.Drain(session.driver, -1, WriteOrder{});  // whatever came after the run
    Compare(r);
    r.writes = session.driver.TovelSimCalls("TovelOutPort");
    const uint32_t reads = session.driver.TovelSimCalls("TovelInPort");
    r.report("Port transfers: %u writes, %u reads\n", r.writes, reads);
    r.report("Run time: %.1f s, %.0f port transfers a second; peak memory %.0f MB\n", seconds,
             (static_cast<double>(r.writes) + reads) / std::max(seconds, 1e-3), PeakMemoryMegabytes());
    const size_t left = Close(r);
    r.trace.Drain(session.driver, -1, WriteOrder{});
    r.trace.Close(session.driver);  // a file that fell short is named with the others
    if (r.trace.dropped > 0)
        r.report("The transfer trace is cut short: transfers.csv holds the first %llu transfers, %llu later ones "
                 "are missing\n", static_cast<unsigned long long>(r.trace.kept),
                 static_cast<unsigned long long>(r.trace.dropped));
    WriteDiagram(r);
    sim::SetOutputBlockObserver(nullptr);
    sim::DestroyModule(r.out.module);
    sim::DestroyModule(r.in.module);
    session.Finish();
    const std::string difference = ReportTraceComparison(r.session, r.report);
    if (!difference.empty())
        r.reasons.push_back("the trace driver's file differs from what the simulated driver saw: " + difference);
    Judge(r, left);
    return Finish(r);
}
