// The host services, each recording what the plug-in asked of it.

#include <string.h>

#include "sim/host/host_behaviour.h"
#include "sim/host/host_services_impl.h"
#include "sim/host/host_state.h"

namespace sim {

namespace {

ProblemHandler g_problemHandler;

std::string Str(const char* s)
{
    return s ? std::string(s) : std::string("(null)");
}

}  // namespace

HostState& State()
{
    static HostState state;
    return state;
}

void RecordCall(const std::string& call)
{
    if (State().recordCalls)
        State().calls.push_back(call);
}

void RecordCall(const char* call)
{
    if (State().recordCalls)
        State().calls.push_back(call);
}

void SetRecordCalls(bool record)
{
    State().recordCalls = record;
}

const std::vector<std::string>& HostCalls() { return State().calls; }

void ReportProblem(const std::string& what)
{
    State().problems.push_back(what);
    if (g_problemHandler)
        g_problemHandler(what);
}

void SetProblemHandler(ProblemHandler handler)
{
    g_problemHandler = handler;
}

std::vector<std::string> TakeProblems()
{
    std::vector<std::string> problems;
    problems.swap(State().problems);
    return problems;
}

// ---------------------------------------------------------------- binding

int32_t HOST_CALL HostDefineDllModule()
{
    RecordCall("DefineDllModule");
    ++State().defineModuleCalls;
    return State().refuseDefineModule ? 0 : 1;
}

int32_t HOST_CALL HostDefineDllVariable(const char* name, void* address, uint32_t size)
{
    RecordCall("DefineDllVariable " + Str(name));
    Announcement a{Str(name), address, size, State().refusedVariables.count(Str(name)) == 0};
    State().announcements.push_back(a);
    return a.accepted ? 1 : 0;
}

const std::vector<Announcement>& Announcements() { return State().announcements; }
int DefineDllModuleCalls() { return State().defineModuleCalls; }
void RefuseDefineDllModule() { State().refuseDefineModule = true; }
void RefuseVariable(const std::string& name) { State().refusedVariables.insert(name); }

bool WriteStateVariable(const std::string& name, const void* value, uint32_t size)
{
    for (const Announcement& a : State().announcements) {
        if (a.accepted && a.name == name && a.size == size) {
            memcpy(a.address, value, size);
            return true;
        }
    }
    return false;
}

bool SetMilliSecondsPerSample(double value)
{
    return WriteStateVariable("fGlobalMilliSecondsPerSample", &value, sizeof value);
}

bool SetBlockSize(uint32_t value)
{
    return WriteStateVariable("uiGlobalBlockSize", &value, sizeof value);
}

bool SetExperimentRunning(bool running)
{
    uint32_t flag = running ? 1 : 0;
    return WriteStateVariable("bExperimentIsRunning", &flag, sizeof flag);
}

bool SetExperimentPaused(bool paused)
{
    uint32_t flag = paused ? 1 : 0;
    return WriteStateVariable("bExperimentIsPaused", &flag, sizeof flag);
}

bool SetExperimentStartTicks(uint32_t ticks)
{
    return WriteStateVariable("dwExperimentStartTimeTicks", &ticks, sizeof ticks);
}

bool HostExperimentRunning()
{
    for (const Announcement& a : State().announcements) {
        if (a.accepted && a.name == "bExperimentIsRunning" && a.size == 4)
            return *static_cast<const uint32_t*>(a.address) == 1;
    }
    return false;
}

uint32_t HostBlockSize()
{
    for (const Announcement& a : State().announcements) {
        if (a.accepted && a.name == "uiGlobalBlockSize" && a.size == 4)
            return *static_cast<const uint32_t*>(a.address);
    }
    return 0;
}

// ---------------------------------------------------------------- memory

void* HOST_CALL HostNewMemAlloc(uint32_t size, const char* tag, int32_t line)
{
    RecordCall("NewMemAlloc");
    HostState& s = State();
    if (s.refuseAllocations > 0) {
        --s.refuseAllocations;
        return nullptr;
    }
    void* block = GuardedAlloc(size);
    if (!block)
        return nullptr;
    memset(block, 0xCD, size);  // contents are undefined; make reliance on zero visible
    s.live[block] = Allocation{block, size, Str(tag), line};
    ++s.allocationsMade;
    return block;
}

void HOST_CALL HostNewDoMemFree(void* block, const char* tag, int32_t line)
{
    RecordCall("NewDoMemFree");
    HostState& s = State();
    auto it = s.live.find(block);
    if (it == s.live.end()) {
        ReportProblem("NewDoMemFree of a block the host never gave or already took back (" + Str(tag) +
                      ", line " + std::to_string(line) + ")");
        return;
    }
    s.frees.push_back(Free{block, Str(tag), line});
    s.live.erase(it);
    GuardedFree(block);
}

std::vector<Allocation> LiveAllocations()
{
    std::vector<Allocation> all;
    for (const auto& entry : State().live)
        all.push_back(entry.second);
    return all;
}

const std::vector<Free>& Frees() { return State().frees; }
int AllocationsMade() { return State().allocationsMade; }
void RefuseAllocations(int count) { State().refuseAllocations = count; }

// ---------------------------------------------------------------- classes, menu, actions

void HOST_CALL HostRegisterModuleClass(const ModuleClassDescriptor* descriptor)
{
    RecordCall("RegisterModuleClass");
    if (!descriptor) {
        ReportProblem("RegisterModuleClass with no descriptor");
        return;
    }
    State().classes.push_back(*descriptor);
}

const std::vector<ModuleClassDescriptor>& RegisteredClasses() { return State().classes; }

const ModuleClassDescriptor* RegisteredClass(const char* name)
{
    for (const ModuleClassDescriptor& d : State().classes) {
        if (d.pszClassName && name && strcmp(d.pszClassName, name) == 0)
            return &d;
    }
    return nullptr;
}

void HOST_CALL HostRegisterMenuEntry(uint32_t command, MenuEntryCallbackFn callback)
{
    RecordCall("RegisterMenuEntry");
    State().menuEntries.push_back(MenuEntry{command, callback});
}

const std::vector<MenuEntry>& MenuEntries() { return State().menuEntries; }

int32_t HOST_CALL HostPerformDefaultAction(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    RecordCall("PerformDefaultAction");
    State().defaultActions.push_back(DefaultAction{module, code, argument, pointer});
    return State().defaultActionResult;
}

const std::vector<DefaultAction>& DefaultActions() { return State().defaultActions; }
void SetDefaultActionResult(int32_t result) { State().defaultActionResult = result; }

void HOST_CALL HostChangeModuleSize(ModuleRecord* module, uint32_t inputs, uint32_t outputs)
{
    RecordCall("ChangeModuleSize");
    State().sizeChanges.push_back(SizeChange{module, inputs, outputs});
    if (module) {  // the module gets these connector counts
        module->uiNumberOfInputs = inputs;
        module->uiNumberOfOutputs = outputs;
    }
    if (Behaving(kDialogPump))
        PumpDialogs();
}

const std::vector<SizeChange>& SizeChanges() { return State().sizeChanges; }

// ---------------------------------------------------------------- warnings, stops

void HOST_CALL HostShowWarning(const char* caption, const char* text)
{
    RecordCall("ShowWarning " + Str(caption));
    State().warnings.push_back(Warning{Str(caption), Str(text)});
    if (State().warningsModal)
        MessageBoxA(HostWindow(), text, caption, MB_OK | MB_ICONWARNING);
    if (Behaving(kWarningsPumpTheRun))
        PumpHostRun();  // a message box's loop: the host's timer goes on
}

const std::vector<Warning>& Warnings() { return State().warnings; }
void ClearWarnings() { State().warnings.clear(); }
void SetWarningsModal(bool modal) { State().warningsModal = modal; }

// The polite host notes the request and stops the run when its own loop next
// gets to it (the engine and the bench watch StopCount); the run goes on
// until then. A host that stops at once ends it inside the call.
void HOST_CALL HostStopExperiment()
{
    RecordCall("StopExperiment");
    ++State().stops;
    if (Behaving(kStopAtOnce) && HostExperimentRunning()) {
        SetExperimentRunning(false);
        EndRunOfEveryModule();
    }
}

int StopCount() { return State().stops; }

// ---------------------------------------------------------------- stacked objects

HFONT HOST_CALL HostCreateStackedFontIndirect(const LOGFONTA* font)
{
    RecordCall("CreateStackedFontIndirect");
    HostState& s = State();
    if (!font) {
        ReportProblem("CreateStackedFontIndirect with no LOGFONTA");
        return nullptr;
    }
    HFONT handle = s.refuseFonts ? nullptr : CreateFontIndirectA(font);
    s.fonts.push_back(FontEvent{handle, *font});
    if (handle)
        s.liveObjects.insert(handle);
    return handle;
}

void HOST_CALL HostDeleteStackedObject(HGDIOBJ object)
{
    RecordCall("DeleteStackedObject");
    HostState& s = State();
    s.deleted.push_back(object);
    if (!s.liveObjects.erase(object)) {
        ReportProblem("DeleteStackedObject of an object the host did not make or already deleted");
        return;
    }
    DeleteObject(object);
}

const std::vector<FontEvent>& FontsCreated() { return State().fonts; }
const std::vector<HGDIOBJ>& ObjectsDeleted() { return State().deleted; }
int LiveStackedObjects() { return static_cast<int>(State().liveObjects.size()); }
void RefuseFonts(bool refuse) { State().refuseFonts = refuse; }

}  // namespace sim
