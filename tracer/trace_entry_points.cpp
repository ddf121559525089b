// The eight entry points of tovel.dll, each passed to the maker's driver
// unchanged (the same arguments, in whichever convention that driver was
// built with) and recorded as it returns. Without a bound maker's driver
// every one answers 0, as a driver with no board.

#include <windows.h>
#include <x86intrin.h>

#include "host/any_convention.h"
#include "tracer/trace_driver.h"
#include "tracer/trace_self.h"

namespace {

HMODULE g_self;
uint64_t g_loadedAtStamp;
LONGLONG g_loadedAtCounter;

CallRecord Call(Entry entry, uint8_t has = 0, uint32_t slot = 0, uint32_t port = 0)
{
    CallRecord r = {};
    r.entry = entry;
    r.has = has;
    r.slot = slot;
    r.port = port;
    r.ticks = GetTickCount();
    return r;
}

int32_t Recorded(CallRecord r, int32_t result)
{
    r.result = result;
    RecordCall(r);
    return result;
}

}  // namespace

HMODULE TraceDriverModule() { return g_self; }
uint64_t LoadedAtStamp() { return g_loadedAtStamp; }
LONGLONG LoadedAtCounter() { return g_loadedAtCounter; }

extern "C" {

int32_t TOVEL_CALL TovelGetVersion(void)
{
    const TovelEntries* maker = Maker();
    const CallRecord r = Call(Entry::kGetVersion);
    return Recorded(r, maker ? CallAnyConvention(maker->getVersion) : 0);
}

int32_t TOVEL_CALL TovelCreate(uint32_t* slot)
{
    const TovelEntries* maker = Maker();
    const CallRecord r = Call(Entry::kCreate, slot ? kHasSlot : 0, slot ? *slot : 0);
    return Recorded(r, maker ? CallAnyConvention(maker->create, slot) : 0);
}

int32_t TOVEL_CALL TovelClose(uint32_t slot)
{
    const TovelEntries* maker = Maker();
    const CallRecord r = Call(Entry::kClose, kHasSlot, slot);
    return Recorded(r, maker ? CallAnyConvention(maker->close, slot) : 0);
}

int32_t TOVEL_CALL TovelGetResource(uint32_t slot, void* resource)
{
    const TovelEntries* maker = Maker();
    CallRecord r = Call(Entry::kGetResource, kHasSlot, slot);
    const int32_t result = maker ? CallAnyConvention(maker->getResource, slot, resource) : 0;
    if (result && resource) {  // the I/O address, the word a field engineer checks first
        memcpy(&r.value, static_cast<const uint8_t*>(resource) + kTovelResourceIoAddress, 4);
        r.has |= kHasValue;
    }
    return Recorded(r, result);
}

int32_t TOVEL_CALL TovelInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    const TovelEntries* maker = Maker();
    CallRecord r = Call(Entry::kInPort, kHasSlot | kHasPort, slot, port);
    const int32_t result = maker ? CallAnyConvention(maker->inPort, slot, port, value) : 0;
    if (result && value) {  // a failed read may leave the caller's byte as it was
        r.value = *value;
        r.has |= kHasValue;
    }
    return Recorded(r, result);
}

int32_t TOVEL_CALL TovelOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    const TovelEntries* maker = Maker();
    CallRecord r = Call(Entry::kOutPort, kHasSlot | kHasPort | kHasValue, slot, port);
    r.value = value;
    return Recorded(r, maker ? CallAnyConvention(maker->outPort, slot, port, value) : 0);
}

int32_t TOVEL_CALL TovelGetLastError(uint32_t slot)
{
    const TovelEntries* maker = Maker();
    const CallRecord r = Call(Entry::kGetLastError, kHasSlot, slot);
    return Recorded(r, maker ? CallAnyConvention(maker->getLastError, slot) : 0);
}

int32_t TOVEL_CALL TovelGetSwitchValue(uint32_t slot, uint32_t* value)
{
    const TovelEntries* maker = Maker();
    CallRecord r = Call(Entry::kGetSwitchValue, kHasSlot, slot);
    const int32_t result = maker ? CallAnyConvention(maker->getSwitchValue, slot, value) : 0;
    if (result && value) {
        r.value = *value;
        r.has |= kHasValue;
    }
    return Recorded(r, result);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        g_loadedAtCounter = now.QuadPart;
        g_loadedAtStamp = __rdtsc();
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        EndTracing(reserved != nullptr);
    }
    return TRUE;
}

// The C runtime's thread callback would reset the x87 unit of a thread it is
// told attached (_fpreset); the unit is the host's, so this one is empty.
void _fpreset(void)
{
}

}  // extern "C"
