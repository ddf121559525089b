// The three exports the host calls by name, in front of the plug-in's own.
// Set-up starts the recording and loads the plug-in; without a whole
// plug-in behind it the recorder answers 0, as a plug-in that could not
// set up, and the recording says why at its top.

#include <windows.h>

#include "guest/guest_chain.h"
#include "guest/guest_self.h"
#include "host/host_call.h"
#include "recorder/plugin_calls.h"
#include "recorder/profile.h"
#include "recorder/recording.h"

namespace {

// The recorders that must never call each other: one in front of another,
// or two that name each other as the plug-in.
const wchar_t kRecorders[] = L"KorvuHostRecorder";

INIT_ONCE g_started = INIT_ONCE_STATIC_INIT;
bool g_bound;

BOOL CALLBACK Start(PINIT_ONCE, PVOID, PVOID*)
{
    g_bound = StartRecorder();
    return TRUE;
}

bool Started()
{
    InitOnceExecuteOnce(&g_started, Start, nullptr, nullptr);
    return g_bound;
}

}  // namespace

extern "C" int32_t HOST_CALL SetupKorvuDLL(HWND host)
{
    const GuestPass pass(kRecorders, GuestModule());
    if (pass.CameBack()) {
        Started();
        ReleasePlugin();  // in a cycle, the outer recorder: neither keeps the other loaded
        NoteLine("SetupKorvuDLL came from inside another recorder: a chain of recorders is not followed, and "
                 "this one answers 0");
        return 0;
    }
    if (!Started() || !PluginBound())
        return 0;
    StartWriter(g_recorder.recording);
    const int32_t result = RecordedSetup(host);
    if (pass.Inner())
        NoteLine("the plug-in leads back into a recorder: a chain of recorders is not followed");
    return result;
}

extern "C" int32_t HOST_CALL FinishKorvuDLL(int32_t argument)
{
    const GuestPass pass(kRecorders, GuestModule());
    if (pass.CameBack() || !Started() || !PluginBound())
        return 1;
    const int32_t result = RecordedFinish(argument);
    // Everything so far in the file and in the profile.
    StopWriter(g_recorder.recording);
    if (!WriteProfile(g_recorder.profilePath, g_recorder.tracePath))
        NoteLine("the profile could not be written beside the recording");
    return result;
}

extern "C" int32_t HOST_CALL WEP(int32_t argument)
{
    const GuestPass pass(kRecorders, GuestModule());
    return !pass.CameBack() && Started() && g_recorder.wep ? g_recorder.wep(argument) : 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        NoteGuestLoaded(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        EndRecording(g_recorder.recording, reserved != nullptr);
        if (!reserved && g_recorder.frames.Valid())
            TlsFree(g_recorder.frames.Index());  // a host that loads it again gets its slot back
        if (!reserved && g_recorder.plugin)
            FreeLibrary(g_recorder.plugin);
    }
    return TRUE;
}

// The C runtime's thread callback would reset the x87 unit of a thread it is
// told attached (_fpreset); the unit is the host's, so this one is empty.
extern "C" void _fpreset(void)
{
}
