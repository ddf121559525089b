// A host process of its own around the trace driver, for what one process
// cannot show: two hosts starting at once, a host that ends without
// unloading. Started by trace_driver_tests.
//
//   trace_probe claim FOLDER SLOT     at the event "KorvuProbeStart", the first call
//                                     and ten writes to SLOT; then the semaphore
//                                     "KorvuProbeWritten", and waits for "KorvuProbeDone"
//   trace_probe end FOLDER CALLS      CALLS writes, then the process ends, the
//                                     trace driver still loaded
//
// FOLDER holds the trace driver (tovel.dll) with a simulated driver as
// tovel_maker.dll. Exit code 0 when everything it did worked.

#include <windows.h>
#include <shellapi.h>
#include <stdio.h>

#include <string>

#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/common/utf8.h"
#include "sim/driver/sim_driver.h"

namespace {

struct Probe {
    HMODULE tracer = nullptr;
    SimDriver maker;
    TovelCreateFn create = nullptr;
    TovelOutPortFn out = nullptr;

    bool Load(const std::wstring& folder, uint32_t slot)
    {
        // The maker's driver first, for its controls: the trace driver finds it loaded.
        if (!maker.LoadFile(Narrow(folder + L"\\tovel_maker.dll")))
            return false;
        maker.TovelSimSetBoard(slot, 1, 0x300, 16, 0);
        tracer = LoadLibraryW((folder + L"\\tovel.dll").c_str());
        create = ProcAddress<TovelCreateFn>(tracer, "TovelCreate");
        out = ProcAddress<TovelOutPortFn>(tracer, "TovelOutPort");
        return create && out;
    }
};

HANDLE Named(const wchar_t* name)
{
    HANDLE h = OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, name);
    return h ? h : OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, name);
}

int Claim(const std::wstring& folder, uint32_t slot)
{
    Probe p;
    if (!p.Load(folder, slot))
        return 2;
    HANDLE start = Named(L"KorvuProbeStart"), written = Named(L"KorvuProbeWritten"), done = Named(L"KorvuProbeDone");
    if (!start || !written || !done)
        return 3;
    WaitForSingleObject(start, 60000);
    uint32_t word = slot;
    if (p.create(&word) != 1)
        return 4;
    for (uint32_t i = 1; i <= 10; ++i)
        p.out(slot, 0, i);
    ReleaseSemaphore(written, 1, nullptr);
    WaitForSingleObject(done, 60000);
    return 0;
}

int End(const std::wstring& folder, uint32_t calls)
{
    Probe p;
    if (!p.Load(folder, 0))
        return 2;
    uint32_t slot = 0;
    if (p.create(&slot) != 1)
        return 4;
    for (uint32_t i = 0; i < calls; ++i)
        p.out(0, 0, i & 0xFF);
    ExitProcess(0);  // the trace driver is still loaded: it hears of the end in its DllMain
}

}  // namespace

int main()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count != 4)
        return 1;
    const std::wstring mode = args[1], folder = args[2];
    const uint32_t number = static_cast<uint32_t>(_wtoi(args[3]));
    if (mode == L"claim")
        return Claim(folder, number);
    if (mode == L"end")
        return End(folder, number);
    return 1;
}
