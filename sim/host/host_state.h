// The simulator's own state, shared by its source files.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/host/sim_host.h"

namespace sim {

struct InputQueue {
    std::vector<DataBlock*> blocks;  // oldest first
    bool taken = false;              // GetInputBlock handed out the oldest
    bool endless = false;            // the one block comes back after each release
    uint64_t released = 0;
};

struct OutputSlot {
    DataBlock* block = nullptr;      // the channel's block, reused from one release to the next
    uint32_t capacity = 0;
    bool handedOut = false;          // given by GetCurrentOutputBlock, not yet released
    uint64_t released = 0;
    double lastStartTime = 0;        // of the last block released
    double lastSampleDistance = 0;
    std::vector<CapturedBlock> captured;  // kept while calls are recorded
};

struct HostState {
    // every call into the host, in order: "30000 name", "DefineDllModule" ...
    std::vector<std::string> calls;
    bool recordCalls = true;

    // lookups
    std::vector<Lookup> lookups;
    std::set<std::string> answerZero;

    // announcements
    std::vector<Announcement> announcements;
    int defineModuleCalls = 0;
    bool refuseDefineModule = false;
    std::set<std::string> refusedVariables;

    // memory
    std::map<void*, Allocation> live;
    std::vector<Free> frees;
    int allocationsMade = 0;
    int refuseAllocations = 0;

    // services
    std::vector<Warning> warnings;
    bool warningsModal = false;
    int stops = 0;
    std::vector<FontEvent> fonts;
    std::vector<HGDIOBJ> deleted;
    std::set<HGDIOBJ> liveObjects;
    bool refuseFonts = false;
    std::vector<MenuEntry> menuEntries;
    std::vector<ModuleClassDescriptor> classes;
    std::vector<DefaultAction> defaultActions;
    int32_t defaultActionResult = 0;
    std::vector<SizeChange> sizeChanges;

    // blocks
    std::map<std::pair<ModuleRecord*, uint32_t>, InputQueue> inputs;
    std::vector<InputRelease> inputReleases;
    std::map<OutputChannel*, OutputSlot> outputs;
    std::map<ModuleRecord*, uint32_t> preparedBlockSize;  // uiGlobalBlockSize at each module's last 106
    uint32_t runBlockCapacity = 0;   // while a module's process call runs with blocks of its run's size; else 0
    uint32_t growths = 0;            // process calls in which the block size outgrew the blocks
    bool outputBlocksAvailable = true;
    bool captureOutputBlocks = true;

    // problems
    std::vector<std::string> problems;
};

HostState& State();
void RecordCall(const std::string& call);
void RecordCall(const char* call);

// The host's answer to a lookup, before any test override.
uintptr_t HostAnswer(UINT message, const std::string& name);

// Drops all blocks the host still holds (ResetHost).
void ReleaseAllBlocks();

// Run end (107) to every module the host has, as a host that stops at once.
void EndRunOfEveryModule();

// The host's current module moves on to the next module it has, or to none.
void MoveCurrentModule();

}  // namespace sim
