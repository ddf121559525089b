#include "recorder/host_window_tap.h"

#include <stdint.h>

#include "host/host_names.h"
#include "recorder/plugin_calls.h"
#include "recorder/recording.h"
#include "recorder/services.h"

namespace {

WNDPROC g_hostProc;
volatile LONG g_tapped;

void RecordLookup(UINT message, const char* name, uintptr_t answer, uintptr_t given)
{
    HostRecord r = NewRecord(Seen::kLookup, message == kLookupFunction ? 1 : 0, nullptr);
    r.result = static_cast<uint32_t>(answer);
    r.mxcsr = static_cast<uint32_t>(given);  // the recorder's own function, when it wraps the service
    lstrcpynA(r.data.text, name ? name : "", sizeof r.data.text);
    Keep(r);
}

LRESULT CALLBACK TapProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT answer = CallWindowProcW(g_hostProc, window, message, wParam, lParam);
    if ((message != kLookupVariable && message != kLookupFunction) || !lParam)
        return answer;
    const char* name = reinterpret_cast<const char*>(lParam);
    uintptr_t given = static_cast<uintptr_t>(answer);
    if (message == kLookupFunction && answer) {
        const RecordedService service = ServiceNamed(name);
        if (service != kRecordedServices)
            given = WrapService(service, static_cast<uintptr_t>(answer));
    } else if (lstrcmpA(name, "&CurrentModulePtr") == 0) {
        WatchCurrentModule(static_cast<uintptr_t>(answer));
    }
    RecordLookup(message, name, static_cast<uintptr_t>(answer), given);
    return static_cast<LRESULT>(given);
}

}  // namespace

void TapHostWindow(HWND host)
{
    if (InterlockedExchange(&g_tapped, 1))
        return;
    g_hostProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host, GWLP_WNDPROC));
    if (!g_hostProc || !SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TapProc))) {
        NoteLine("the host's window could not be tapped: its lookups are not recorded, nor its services wrapped");
        InterlockedExchange(&g_tapped, 0);
    }
}

void UntapHostWindow(HWND host)
{
    if (!g_tapped)
        return;
    // Given back only if nobody stood in front since. Else the recorder's
    // procedure stays in the chain, passing everything on: it stays tapped
    // (a second set-up must not put it in front of what calls it), and the
    // recorder stays loaded for as long as the process, so that the
    // procedure in front never calls into a module that is gone.
    if (GetWindowLongPtrW(host, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(TapProc)) {
        SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_hostProc));
        InterlockedExchange(&g_tapped, 0);
        return;
    }
    HMODULE pinned;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&TapProc), &pinned);
    NoteLine("another window procedure stood in front of the host's during the set-up: the recorder's stays, "
             "passing every message on, and the recorder stays loaded until the host ends");
}
