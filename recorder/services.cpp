#include "recorder/services.h"

#include <string.h>

#include "host/any_convention.h"
#include "recorder/plugin_calls.h"
#include "recorder/recording.h"

namespace {

const char* const kServiceNames[kRecordedServices] = {
#define RECORDED_SERVICE_NAME(name) #name,
    RECORDED_SERVICES(RECORDED_SERVICE_NAME)
#undef RECORDED_SERVICE_NAME
};

uintptr_t g_hostFunctions[kRecordedServices];

// Samples of a block, six to a record, when the settings ask for them:
// an input block as the plug-in gets it, an output block as it hands it on.
const uint32_t kSamplesPerRecord = 6;
const uint32_t kMostChannels = 64;

struct OutputBlock {
    uint32_t channel;
    const DataBlock* block;
};
OutputBlock g_outputBlocks[kMostChannels];

// `output`: the block a channel hands on (owner the channel); else the
// block an input gives (owner the module, `index` the input).
void RecordSamples(const CallFrame& frame, bool output, uint32_t owner, uint32_t index, const DataBlock* block)
{
    if (!block)
        return;
    const uint32_t n = block->wNumberOfSamples;
    const uint32_t* samples = reinterpret_cast<const uint32_t*>(block + 1);  // as bits: no floating point
    for (uint32_t first = 0; first < n; first += kSamplesPerRecord) {
        HostRecord r = NewRecord(Seen::kSamples, output ? 1 : 0, &frame);
        r.data.words[0] = owner;
        r.data.words[1] = index;
        r.result = first;
        r.stack = static_cast<uint8_t>(n - first < kSamplesPerRecord ? n - first : kSamplesPerRecord);
        for (uint32_t i = 0; i < r.stack; ++i)
            r.data.words[2 + i] = samples[first + i];
        Keep(r);
    }
}

void RememberOutputBlock(uint32_t channel, const DataBlock* block)
{
    for (OutputBlock& b : g_outputBlocks) {
        if (b.channel == channel || !b.channel) {
            b.channel = channel;
            b.block = block;
            return;
        }
    }
}

const DataBlock* OutputBlockOf(uint32_t channel)
{
    for (const OutputBlock& b : g_outputBlocks) {
        if (b.channel == channel)
            return b.block;
    }
    return nullptr;
}

// Messages that reach the plug-in's dialogs while a size change is under
// way: a host whose ChangeModuleSize pumps the dialog's queue shows itself.
HHOOK g_dialogHook;
// The outermost size change under way, a CallFrame: claimed in one step,
// since size changes may come on two threads.
PVOID volatile g_sizeChange;

LRESULT CALLBACK SeeDialogMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const CallFrame* sizeChange = static_cast<const CallFrame*>(g_sizeChange);
    if (code == HC_ACTION && sent && sizeChange && (sent->message == WM_COMMAND || sent->message >= WM_USER) &&
        reinterpret_cast<HMODULE>(GetWindowLongPtrW(sent->hwnd, GWLP_HINSTANCE)) == g_recorder.plugin) {
        HostRecord r = NewRecord(Seen::kDialogMessage, kServiceChangeModuleSize, sizeChange);
        r.data.words[0] = sent->message;
        r.data.words[1] = static_cast<uint32_t>(sent->wParam);
        r.data.words[2] = static_cast<uint32_t>(sent->lParam);
        Keep(r);
    }
    return CallNextHookEx(g_dialogHook, code, wParam, lParam);
}

// What the recorder does to a call's arguments before the host gets them.
void Before(RecordedService service, uint32_t* words, const CallFrame& frame)
{
    switch (service) {
    case kServiceRegisterModuleClass:
        words[0] = any_convention::Word(WrapClass(reinterpret_cast<const ModuleClassDescriptor*>(words[0])));
        break;
    case kServiceRegisterMenuEntry:
        words[1] = any_convention::Word(WrapMenuCallback(reinterpret_cast<MenuEntryCallbackFn>(words[1])));
        break;
    case kServiceChangeModuleSize:
        if (!InterlockedCompareExchangePointer(&g_sizeChange, const_cast<CallFrame*>(&frame), nullptr))
            g_dialogHook = SetWindowsHookExW(WH_CALLWNDPROC, SeeDialogMessages, nullptr, GetCurrentThreadId());
        break;
    case kServiceNewReleaseOutputBlock:
        if (g_recorder.recordSamples)
            RecordSamples(frame, true, words[0], 0, OutputBlockOf(words[0]));
        break;
    default:
        break;
    }
}

void After(RecordedService service, const uint32_t* words, uint32_t result, const CallFrame& frame)
{
    switch (service) {
    case kServiceDefineDllVariable:
        WatchVariable(reinterpret_cast<const char*>(words[0]), reinterpret_cast<const void*>(words[1]), words[2]);
        break;
    case kServiceChangeModuleSize:
        if (g_sizeChange == &frame) {
            if (g_dialogHook)
                UnhookWindowsHookEx(g_dialogHook);
            g_dialogHook = nullptr;
            InterlockedExchangePointer(&g_sizeChange, nullptr);
        }
        break;
    case kServiceGetInputBlock:
        if (g_recorder.recordSamples)
            RecordSamples(frame, false, words[0], words[1], reinterpret_cast<const DataBlock*>(result));
        break;
    case kServiceGetCurrentOutputBlock:
        if (g_recorder.recordSamples)
            RememberOutputBlock(words[0], reinterpret_cast<const DataBlock*>(result));
        break;
    default:
        break;
    }
}

// One call of a service: passed to the host's function as the plug-in made
// it, in whichever convention the host built it with, and recorded with
// what that function took off the stack.
uint32_t Pass(RecordedService service, uint32_t* words, uint32_t count)
{
    CallFrame frame;
    EnterFrame(frame, false, service);
    uint32_t given[4] = {0, 0, 0, 0};
    memcpy(given, words, count * sizeof(uint32_t));
    Before(service, words, frame);
    const any_convention::Measured m =
        any_convention::CallMeasuringPop(reinterpret_cast<const void*>(g_hostFunctions[service]), words, count);
    After(service, given, m.result, frame);
    HostRecord r = NewRecord(Seen::kServiceCall, service, &frame);
    r.result = m.result;
    r.stack = static_cast<uint8_t>(m.popped);
    memcpy(r.data.words, given, sizeof given);
    r.data.words[4] = count;
    Keep(r);
    LeaveFrame(frame);
    return m.result;
}

template <RecordedService S, typename Fn>
struct Thunk;

template <RecordedService S, typename R, typename... A>
struct Thunk<S, R(HOST_CALL*)(A...)> {
    static R HOST_CALL Call(A... a)
    {
        uint32_t words[sizeof...(A) + 1] = {any_convention::Word(a)...};
        return any_convention::Answer<R>::From(Pass(S, words, sizeof...(A)));
    }
};

const uintptr_t kThunks[kRecordedServices] = {
#define RECORDED_SERVICE_THUNK(name) \
    reinterpret_cast<uintptr_t>(&Thunk<kService##name, host::name##Fn>::Call),
    RECORDED_SERVICES(RECORDED_SERVICE_THUNK)
#undef RECORDED_SERVICE_THUNK
};

}  // namespace

const char* ServiceName(uint32_t service)
{
    return service < kRecordedServices ? kServiceNames[service] : "?";
}

RecordedService ServiceNamed(const char* name)
{
    for (uint32_t s = 0; s < kRecordedServices; ++s) {
        if (lstrcmpA(name, kServiceNames[s]) == 0)
            return static_cast<RecordedService>(s);
    }
    return kRecordedServices;
}

uintptr_t WrapService(RecordedService service, uintptr_t hostFunction)
{
    g_hostFunctions[service] = hostFunction;
    return kThunks[service];
}
