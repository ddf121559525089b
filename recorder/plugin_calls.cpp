#include "recorder/plugin_calls.h"

#include <string.h>

#include "recorder/fpu_words.h"
#include "recorder/host_window_tap.h"
#include "recorder/recording.h"

namespace {

// Classes and menu callbacks the recorder can stand in front of: a plug-in
// registers two classes and one callback.
constexpr int kMostClasses = 8, kMostMenuCallbacks = 4;

struct WrappedClass {
    ModuleClassDescriptor descriptor;  // what the host holds: the recorder's functions in it
    ModuleHandlerFn handler;           // the plug-in's
    ModuleProcessFn process;
};

WrappedClass g_classes[kMostClasses];
volatile LONG g_classCount;
MenuEntryCallbackFn g_menuCallbacks[kMostMenuCallbacks];
volatile LONG g_menuCount;

// The host variables the plug-in announced, and the host's current module:
// each recorded when a call into the plug-in finds it changed.
const char* const kWatchedNames[kWatched] = {"fGlobalMilliSecondsPerSample", "uiGlobalBlockSize", "bAnimation",
                                             "bExperimentIsRunning",         "bExperimentIsPaused",
                                             "dwExperimentStartTimeTicks",   "BBoxModul",
                                             "CurrentModulePtr"};

struct WatchedVariable {
    const volatile uint32_t* address;  // null until announced
    uint32_t words;                    // 1 or 2
    uint32_t last[2];
    volatile LONG seen;                // recorded at least once
};

WatchedVariable g_watched[kWatched];

// The changed variables, each a record, as the call into the plug-in begins.
void RecordChangedVariables(const CallFrame& frame)
{
    for (uint32_t v = 0; v < kWatched; ++v) {
        WatchedVariable& w = g_watched[v];
        if (!w.address)
            continue;
        const volatile uint32_t* at = w.address;
        uint32_t now[2] = {0, 0};
        for (uint32_t i = 0; i < w.words; ++i)
            now[i] = at[i];  // a double as its bits: no floating point here
        if (w.seen && now[0] == w.last[0] && now[1] == w.last[1])
            continue;
        w.last[0] = now[0];
        w.last[1] = now[1];
        InterlockedExchange(&w.seen, 1);
        HostRecord r = NewRecord(Seen::kVariable, static_cast<uint8_t>(v), &frame);
        r.data.words[0] = now[0];
        r.data.words[1] = now[1];
        Keep(r);
    }
}

// One call into the plug-in, from entry to return.
class PluginCall {
public:
    PluginCall(PluginFunction function, uint8_t index, const void* firstArgument)
        : function_(function), index_(index), fpu_(ReadFpuWords())
    {
        // Where the first argument lies is where the stack pointer stood before the call.
        stack_ = static_cast<uint8_t>(reinterpret_cast<uintptr_t>(firstArgument) % 16);
        EnterFrame(frame_, true);
        RecordChangedVariables(frame_);
    }
    ~PluginCall() { LeaveFrame(frame_); }

    void Done(uint32_t result, uint32_t w0 = 0, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0,
              const ModuleRecord* module = nullptr)
    {
        HostRecord r = NewRecord(Seen::kPluginCall, function_, &frame_);
        r.result = result;
        r.fpuControl = fpu_.control;
        r.fpuStatus = fpu_.status;
        r.mxcsr = fpu_.mxcsr;
        r.stack = stack_;
        r.data.words[0] = w0;
        r.data.words[1] = w1;
        r.data.words[2] = w2;
        r.data.words[3] = w3;
        r.data.words[4] = index_;
        if (module) {  // the channels the host gave the module
            r.data.words[5] = module->uiNumberOfInputs;
            r.data.words[6] = module->uiNumberOfOutputs;
        }
        Keep(r);
    }

private:
    PluginFunction function_;
    uint8_t index_;
    uint8_t stack_;
    FpuWords fpu_;
    CallFrame frame_;
};

template <typename T>
uint32_t Word(T value)
{
    return static_cast<uint32_t>(value);
}

template <typename T>
uint32_t Word(T* pointer)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

template <int C>
int32_t HOST_CALL Handler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    PluginCall call(kHandler, C, &module);
    const int32_t result = g_classes[C].handler(module, code, argument, pointer);
    call.Done(Word(result), Word(module), code, Word(argument), Word(pointer), module);
    return result;
}

template <int C>
int32_t HOST_CALL Process(ModuleRecord* module)
{
    PluginCall call(kProcess, C, &module);
    const int32_t result = g_classes[C].process(module);
    call.Done(Word(result), Word(module));
    return result;
}

template <int M>
int32_t HOST_CALL MenuCallback()
{
    int here = 0;  // no argument: where a local lies tells nothing of the caller's alignment
    PluginCall call(kMenuCallback, M, &here);
    const int32_t result = g_menuCallbacks[M]();
    call.Done(Word(result));
    return result;
}

template <int... I>
constexpr ModuleHandlerFn kHandlers[] = {&Handler<I>...};
template <int... I>
constexpr ModuleProcessFn kProcesses[] = {&Process<I>...};
template <int... I>
constexpr MenuEntryCallbackFn kMenuCallbacks[] = {&MenuCallback<I>...};

const ModuleHandlerFn* const kClassHandlers = kHandlers<0, 1, 2, 3, 4, 5, 6, 7>;
const ModuleProcessFn* const kClassProcesses = kProcesses<0, 1, 2, 3, 4, 5, 6, 7>;
const MenuEntryCallbackFn* const kMenuWrappers = kMenuCallbacks<0, 1, 2, 3>;
static_assert(kMostClasses == 8 && kMostMenuCallbacks == 4, "a wrapper for each");

}  // namespace

int32_t RecordedSetup(HWND host)
{
    PluginCall call(kSetup, 0, &host);
    TapHostWindow(host);
    const int32_t result = g_recorder.setup(host);
    UntapHostWindow(host);
    call.Done(Word(result), Word(host));
    return result;
}

int32_t RecordedFinish(int32_t argument)
{
    PluginCall call(kFinish, 0, &argument);
    const int32_t result = g_recorder.finish(argument);
    call.Done(Word(result), Word(argument));
    return result;
}

const ModuleClassDescriptor* WrapClass(const ModuleClassDescriptor* descriptor)
{
    if (!descriptor)
        return descriptor;
    // A class registered again (a second set-up) keeps its wrappers.
    LONG index = 0;
    while (index < g_classCount && index < kMostClasses &&
           (g_classes[index].handler != descriptor->pfnMessageHandler ||
            g_classes[index].process != descriptor->pfnProcess))
        ++index;
    if (index >= g_classCount)
        index = InterlockedIncrement(&g_classCount) - 1;
    if (index >= kMostClasses)
        return descriptor;
    WrappedClass& c = g_classes[index];
    c.descriptor = *descriptor;
    c.handler = descriptor->pfnMessageHandler;
    c.process = descriptor->pfnProcess;
    c.descriptor.pfnMessageHandler = c.handler ? kClassHandlers[index] : nullptr;
    c.descriptor.pfnProcess = c.process ? kClassProcesses[index] : nullptr;
    return &c.descriptor;
}

MenuEntryCallbackFn WrapMenuCallback(MenuEntryCallbackFn callback)
{
    if (!callback)
        return callback;
    LONG index = 0;
    while (index < g_menuCount && index < kMostMenuCallbacks && g_menuCallbacks[index] != callback)
        ++index;
    if (index >= g_menuCount)
        index = InterlockedIncrement(&g_menuCount) - 1;
    if (index >= kMostMenuCallbacks)
        return callback;
    g_menuCallbacks[index] = callback;
    return kMenuWrappers[index];
}

void WatchVariable(const char* name, const void* address, uint32_t size)
{
    for (uint32_t v = 0; v < kWatched - 1; ++v) {
        if (lstrcmpA(name, kWatchedNames[v]) == 0 && (size == 4 || size == 8) && address) {
            g_watched[v].words = size / 4;
            g_watched[v].address = static_cast<const volatile uint32_t*>(address);
        }
    }
}

const char* WatchedName(uint32_t variable)
{
    return variable < kWatched ? kWatchedNames[variable] : "?";
}

void WatchCurrentModule(uintptr_t address)
{
    if (address) {
        g_watched[kCurrentModule].words = 1;
        g_watched[kCurrentModule].address = reinterpret_cast<const volatile uint32_t*>(address);
    }
}
