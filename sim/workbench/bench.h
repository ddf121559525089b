// The virtual bench: modules placed by hand in the host window, a run a
// person starts, pauses and stops, on the same engine as the scripted run.
// The time comes from outside: the bench window's timer on the wall clock,
// or a test that advances it. The plug-in reads it through its import of
// GetTickCount, which the bench's test clock answers.
#pragma once

#include <stdint.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kinds/module_kind.h"
#include "sim/engine/experiment.h"
#include "sim/driver/sim_driver.h"
#include "sim/clock/test_clock.h"
#include "sim/host/sim_host.h"

namespace workbench {

struct BenchModule {
    ModuleKindId kind = kOutputModule;
    sim::Module module = {};
    std::vector<engine::SignalSource> sources;  // "Tovel OUT": one per channel, kMaxModuleChannels of them
};

const double kLiveSeconds = 5.0;  // the span the live view shows

// What the live view shows of one "Tovel IN" channel: the blocks of the
// current run handed on in its last kLiveSeconds, nothing older, nothing of
// an earlier run, so a bench that runs for days holds no more than this.
struct LiveBlock {
    double start = 0;         // seconds into the run
    double distance = 0;      // seconds per sample
    std::vector<bool> levels;
    double End() const { return start + levels.size() * distance; }
};

struct LiveChannel {
    std::deque<LiveBlock> blocks;
    double End() const { return blocks.empty() ? 0 : blocks.back().End(); }
};

struct Bench {
    SimDriver* driver = nullptr;
    HMODULE plugin = nullptr;
    std::string ini;                            // the board file in use, empty for the default board
    double msPerSample = 80.0;
    int blockSize = 10;
    std::vector<std::unique_ptr<BenchModule>> modules;
    std::string path;                           // the file it was opened from or last saved to; empty: none
    std::string savedText;                      // the bench as that file holds it: what is not saved differs

    // The run, while there is one.
    std::unique_ptr<sim::TestClock> clock;
    engine::Experiment experiment;
    bool running = false;
    bool paused = false;
    int stopsSeen = 0;                          // StopExperiment calls already acted on
    bool stoppedByPlugin = false;               // the last run ended on the plug-in's StopExperiment
    size_t warningsShown = 0;                   // warnings already handed to the person
    std::map<const OutputChannel*, LiveChannel> live;
};

// The kind whose class has the name, or whose menu command it is; false when none.
bool KindNamed(const std::string& className, ModuleKindId* kind);
bool KindCommanded(uint32_t command, ModuleKindId* kind);
// A module whose channels the bench feeds from signals: an output module.
bool IsFed(ModuleKindId kind);
bool IsFed(const BenchModule& m);
uint32_t Channels(const BenchModule& m);
uint16_t Slot(const BenchModule& m);
uint16_t Port(const BenchModule& m);

// Code 101 through the plug-in's hardware selection dialog; null when the
// person cancelled or there was no board. A new output module gets the main
// job's eight square waves.
BenchModule* PlaceModule(Bench& bench, ModuleKindId kind);
// Code 103, the settings dialog; during a run the plug-in disables its arrows.
void OpenModule(Bench& bench, BenchModule& m);
// Code 102; refused during a run (false).
bool RemoveModule(Bench& bench, size_t index);
void RemoveAllModules(Bench& bench);
// A module re-attached from a saved bench: its record as stored, then code 105.
BenchModule* RestoreModule(Bench& bench, ModuleKindId kind, const std::string& name, const std::string& description,
                           uint32_t channels, const std::vector<uint8_t>& instance);

// Run preparation (106) of every module; a refusal leaves no run (the plug-in
// has shown its warning). False then.
bool StartRun(Bench& bench);
void PauseRun(Bench& bench, bool paused);     // the start time stays as it was
void StopRun(Bench& bench);                    // run end (107) for every module
// The host's calls for `ms` more milliseconds; acts on a StopExperiment.
void Advance(Bench& bench, uint32_t ms);

// Warnings not yet shown, identical ones as one with their count, in the
// order they first came: a pulled board makes the output module warn for
// every failed write, up to channels x block size in one call.
struct WarningGroup {
    std::string caption, text;
    int count = 0;
};
std::vector<WarningGroup> TakeWarnings(Bench& bench);

}  // namespace workbench
