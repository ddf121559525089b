// A host simulator: the main window that answers the plug-in's lookups, the
// host services with tracking of everything the plug-in asks of them, and the
// host-owned records laid out byte for byte as the real host lays them out.
//
// One host per process, as in real life. Tests call ResetHost() between cases.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/host_messages.h"
#include "host/host_records.h"

namespace sim {

// ---------------------------------------------------------------- problems
// Anything the plug-in does that a real host would not survive: a call of a
// service the plug-in has no business calling, a double free, a release of a
// block never taken. Each is recorded and handed to the handler at once.
typedef void (*ProblemHandler)(const std::string& what);
void SetProblemHandler(ProblemHandler handler);
std::vector<std::string> TakeProblems();
// A fault the simulator or the harness that drives it found: to the handler, or kept.
void ReportProblem(const std::string& what);

// ---------------------------------------------------------------- the host
HWND StartHost();                 // creates the main window on first use
// Commands of the host window's menu (the plug-in's items among them, code
// 0) and notifications of its child windows, for a host program that acts
// on them.
typedef void (*CommandHandler)(UINT id, UINT code);
void SetCommandHandler(CommandHandler handler);
// With a command handler, closing the window ends the program's message
// loop, once the close query (if any) agrees: it may ask about unsaved work.
typedef bool (*CloseQuery)();
void SetCloseQuery(CloseQuery query);
HWND HostWindow();
void ResetHost();                 // forget what was recorded, back to defaults

// The host's published names, in the host's order.
const std::vector<std::string>& VariableNames();
const std::vector<std::string>& FunctionNames();
const std::vector<std::string>& OptionalVariableNames();

// Every call into the host, in order: a lookup as "30000 name", a service by
// its name, DefineDllVariable and ShowWarning with their first argument.
const std::vector<std::string>& HostCalls();
void SetRecordCalls(bool record);  // on by default; benchmarks turn the log and release lists off

// ---------------------------------------------------------------- lookups
struct Lookup {
    UINT message;                 // 30000 variable, 30001 function
    WPARAM wParam;
    std::string name;
    uintptr_t answer;
};
const std::vector<Lookup>& Lookups();
std::vector<std::string> AskedNames(UINT message);
void AnswerZero(const std::string& name);
void AnswerZeroForOptionalVariables();
uintptr_t PublishedAnswer(UINT message, const std::string& name);

// Host variables the plug-in reads.
HMENU MainMenu();
ModuleRecord* CurrentModulePtr();
void SetCurrentModulePtr(ModuleRecord* module);
const HBITMAP* ChannelBitmaps();  // 4 entries, one colour per state
const HBITMAP* LessMoreBitmaps(); // 6 entries
COLORREF ChannelBitmapColour(int state);
COLORREF LessMoreBitmapColour(int state);

// ---------------------------------------------------------------- announcements
struct Announcement {
    std::string name;
    void* address;
    uint32_t size;
    bool accepted;
};
const std::vector<Announcement>& Announcements();
int DefineDllModuleCalls();
void RefuseDefineDllModule();
void RefuseVariable(const std::string& name);

// Writes a host-maintained value through the address the plug-in announced.
// False when the plug-in announced no such variable of that size.
bool WriteStateVariable(const std::string& name, const void* value, uint32_t size);
bool SetMilliSecondsPerSample(double value);
bool SetBlockSize(uint32_t value);
bool SetExperimentRunning(bool running);
bool SetExperimentPaused(bool paused);
bool SetExperimentStartTicks(uint32_t ticks);

// ---------------------------------------------------------------- memory
struct Allocation {
    void* block;
    uint32_t size;
    std::string tag;
    int32_t line;
};
std::vector<Allocation> LiveAllocations();
struct Free {
    void* block;
    std::string tag;
    int32_t line;
};
const std::vector<Free>& Frees();
int AllocationsMade();
void RefuseAllocations(int count);  // the next count NewMemAlloc calls answer 0

// Memory placed so that its last byte touches a no-access page: an overrun
// faults at once. The host uses it for everything it hands to the plug-in.
void* GuardedAlloc(size_t size);
// Where the no-access page lies: after the block (the default: overruns fault)
// or before it (underruns fault). Applies to later allocations.
enum GuardPlacement { kGuardAfter, kGuardBefore };
void SetGuardPlacement(GuardPlacement placement);
void GuardedFree(void* block);
// No access to the block while it is handed back to the host (a use after
// release faults), then access again when the host hands it out anew.
void GuardedSeal(void* block, bool sealed);
// How a block handed back is kept from use: sealed against any access (the
// default, and what the tests want: a read or write faults on the spot), or
// filled with a pattern that is checked when the block is handed out again
// (a write after release is reported then). Sealing costs a system call each
// way, which doubles the time of a long run of small blocks.
enum ReleasedBlocks { kSealReleased, kPatternReleased };
void SetReleasedBlocks(ReleasedBlocks how);

// ---------------------------------------------------------------- services seen
struct Warning {
    std::string caption;          // code page 932, as the plug-in passed them
    std::string text;
};
const std::vector<Warning>& Warnings();
void ClearWarnings();
void SetWarningsModal(bool modal);  // show a message box too (interactive use)
int StopCount();

struct FontEvent {
    HFONT font;
    LOGFONTA logfont;
};
const std::vector<FontEvent>& FontsCreated();
const std::vector<HGDIOBJ>& ObjectsDeleted();
int LiveStackedObjects();
void RefuseFonts(bool refuse);

struct MenuEntry {
    uint32_t command;
    MenuEntryCallbackFn callback;
};
const std::vector<MenuEntry>& MenuEntries();

const std::vector<ModuleClassDescriptor>& RegisteredClasses();
// The class registered under the name, or null.
const ModuleClassDescriptor* RegisteredClass(const char* name);

struct DefaultAction {
    ModuleRecord* module;
    uint32_t code;
    int32_t argument;
    void* pointer;
};
const std::vector<DefaultAction>& DefaultActions();
void SetDefaultActionResult(int32_t result);

struct SizeChange {
    ModuleRecord* module;
    uint32_t inputs;
    uint32_t outputs;
};
const std::vector<SizeChange>& SizeChanges();

// ---------------------------------------------------------------- modules
// A module record of the host's layout with its instance data, channel
// records and output channels, each against a guard page. `handler` and
// `process` are the host's calls into the plug-in's functions for the module:
// under the x87 environment the behaviours chose, checked on return.
struct Module {
    ModuleRecord* record;
    void* instanceData;
    uint32_t instanceDataSize;
    ModuleHandlerFn handler;
    ModuleProcessFn process;
};
Module CreateModule(const ModuleClassDescriptor& cls, HWND owner);
void DestroyModule(Module& module);

// The host's run going on inside a service call, as a host's timer does when
// the service pumps messages: one process call of every module while an
// experiment runs (never two such turns nested). A hook, while set, does
// instead whatever a test wants to happen there.
void PumpHostRun();
void SetPumpHook(std::function<void()> hook);
// What a pumped queue may hold for the plug-in's settings dialog, sent to
// every dialog of this thread: less, more, copy the name (1031, 1032), a
// press on channel button 1, OK and Cancel.
void PumpDialogs();
bool HostExperimentRunning();  // what the host last wrote to bExperimentIsRunning

// Input blocks waiting on input `input` of a module: GetInputBlock hands out
// the oldest, NewReleaseInputBlock drops it.
void QueueInputBlock(ModuleRecord* module, uint32_t input, const std::vector<float>& samples);
// The samples as their bits, kept exactly (a signalling NaN stays one).
void QueueInputBlockBits(ModuleRecord* module, uint32_t input, const std::vector<uint32_t>& sampleBits);
size_t QueuedInputBlocks(ModuleRecord* module, uint32_t input);
// A block that GetInputBlock hands out again after every release, for runs
// longer than anyone would queue (benchmarks).
void SetEndlessInputBlock(ModuleRecord* module, uint32_t input, const std::vector<float>& samples);
struct InputRelease {
    ModuleRecord* module;
    uint32_t input;
    std::string tag;
    int32_t line;
};
const std::vector<InputRelease>& InputReleases();
uint64_t ReleasedInputBlocks(ModuleRecord* module, uint32_t input);  // counted even when calls are not recorded

// Output blocks: GetCurrentOutputBlock hands out a block of capacity
// uiGlobalBlockSize samples; NewReleaseOutputBlock captures a copy.
struct CapturedBlock {
    double startTime;
    double sampleDistance;
    uint16_t numberOfSamples;
    std::vector<float> samples;
    std::string tag;
    int32_t line;
};
const std::vector<CapturedBlock>& CapturedBlocks(OutputChannel* channel);
uint64_t ReleasedOutputBlocks(OutputChannel* channel);  // counted even when calls are not recorded
double LastReleasedStartTime(OutputChannel* channel);
double LastReleasedSampleDistance(OutputChannel* channel);
void SetOutputBlocksAvailable(bool available);
void SetCaptureOutputBlocks(bool capture);  // on by default; long runs and benchmarks count only
// Called with each output block the plug-in hands on, as it stands then: a
// run of any length can look at every block without the host keeping any.
typedef std::function<void(OutputChannel* channel, const DataBlock* block)> OutputBlockObserver;
void SetOutputBlockObserver(OutputBlockObserver observer);
uint32_t HostBlockSize();         // what the host last wrote to uiGlobalBlockSize

// ---------------------------------------------------------------- the plug-in
struct Plugin {
    HMODULE dll = nullptr;
    int32_t(HOST_CALL* setup)(HWND) = nullptr;
    int32_t(HOST_CALL* finish)(int32_t) = nullptr;
    int32_t(HOST_CALL* wep)(int32_t) = nullptr;
};
// Loads the plug-in by path (UTF-8); false if it or one of its exports is missing.
bool LoadPlugin(const char* path, Plugin* plugin);
void UnloadPlugin(Plugin* plugin);

}  // namespace sim
