// Binding: ask the host for every name, announce the plug-in and its state
// variables. The first answer the plug-in cannot live with ends binding.

#include "host/binding.h"

#include "host/host_services.h"

HWND hwndHost;
uintptr_t g_hostVariableSlot[HV_COUNT];
uintptr_t g_hostFunctionSlot[HF_COUNT];

volatile double fGlobalMilliSecondsPerSample;
volatile uint32_t uiGlobalBlockSize;
volatile uint32_t bAnimation;
volatile uint32_t bExperimentIsRunning;
volatile uint32_t bExperimentIsPaused;
volatile uint32_t dwExperimentStartTimeTicks;
volatile uint32_t BBoxModul;

namespace {

enum Need { kRequired, kOptional };

struct VariableName {
    const char* name;
    Need need;
};

const VariableName kVariableNames[HV_COUNT] = {
#define VARIABLE_ENTRY(id, name, need) {name, need},
    HOST_VARIABLE_NAMES(VARIABLE_ENTRY)
#undef VARIABLE_ENTRY
};

const char* const kFunctionNames[HF_COUNT] = {
#define FUNCTION_ENTRY(id) #id,
    HOST_FUNCTION_NAMES(FUNCTION_ENTRY)
#undef FUNCTION_ENTRY
};

struct Announcement {
    const char* name;
    volatile void* address;
    uint32_t size;
};

// In the order the host is told of them.
const Announcement kAnnouncements[] = {
    {"fGlobalMilliSecondsPerSample", &fGlobalMilliSecondsPerSample, sizeof fGlobalMilliSecondsPerSample},
    {"uiGlobalBlockSize", &uiGlobalBlockSize, sizeof uiGlobalBlockSize},
    {"bAnimation", &bAnimation, sizeof bAnimation},
    {"bExperimentIsRunning", &bExperimentIsRunning, sizeof bExperimentIsRunning},
    {"bExperimentIsPaused", &bExperimentIsPaused, sizeof bExperimentIsPaused},
    {"dwExperimentStartTimeTicks", &dwExperimentStartTimeTicks, sizeof dwExperimentStartTimeTicks},
    {"BBoxModul", &BBoxModul, sizeof BBoxModul},
};

static_assert(sizeof fGlobalMilliSecondsPerSample == 8, "the host writes an 8-byte double");

uintptr_t AskHost(UINT message, const char* name)
{
    return static_cast<uintptr_t>(SendMessageA(hwndHost, message, 0, reinterpret_cast<LPARAM>(name)));
}

int32_t BindVariables()
{
    for (int i = 0; i < HV_COUNT; ++i) {
        g_hostVariableSlot[i] = AskHost(kLookupVariable, kVariableNames[i].name);
        if (g_hostVariableSlot[i] == 0 && kVariableNames[i].need == kRequired)
            return 0;
    }
    return 1;
}

int32_t BindFunctions()
{
    for (int i = 0; i < HF_COUNT; ++i) {
        g_hostFunctionSlot[i] = AskHost(kLookupFunction, kFunctionNames[i]);
        if (g_hostFunctionSlot[i] == 0)
            return 0;
    }
    return 1;
}

int32_t AnnounceStateVariables()
{
    for (const Announcement& a : kAnnouncements) {
        if (host::DefineDllVariable(a.name, const_cast<void*>(a.address), a.size) == 0)
            return 0;
    }
    return 1;
}

}  // namespace

int32_t BindToHost(HWND host)
{
    hwndHost = host;
    if (!BindVariables())
        return 0;
    if (!BindFunctions())
        return 0;
    if (!host::DefineDllModule())
        return 0;
    return AnnounceStateVariables();
}
