// The eight entry points of tovel.dll, each passed to the maker's driver
// unchanged (the same arguments, in whichever convention that driver was
// built with) and recorded as it returns. Without a bound maker's driver
// every one answers 0, as a driver with no board; so does a call that came
// back into a trace driver from inside another's.

#include <windows.h>
#include <string.h>

#include "guest/guest_chain.h"
#include "guest/guest_self.h"
#include "host/any_convention.h"
#include "tracer/trace_driver.h"

namespace {

// The guests that must never call each other.
const wchar_t kTraceDrivers[] = L"TovelTraceDriver";

struct Pass : GuestPass {
    Pass() : GuestPass(kTraceDrivers, GuestModule()) {}
};

// The maker's entries for this call, or null: none bound, or the call came
// back from inside another trace driver's call.
const TovelEntries* MakerFor(const Pass& pass)
{
    if (!pass.CameBack())
        return Maker();
    RefuseCallFromInside(pass.Outer());
    return nullptr;
}

CallRecord Call(TovelEntryId entry, uint8_t has = 0, uint32_t slot = 0, uint32_t port = 0)
{
    CallRecord r = {};
    r.entry = entry;
    r.has = has;
    r.slot = slot;
    r.port = port;
    r.ticks = GetTickCount();
    return r;
}

int32_t Recorded(CallRecord r, int32_t result, const Pass& pass)
{
    if (pass.Inner())
        RefuseChain(pass.Inner());
    r.result = result;
    RecordCall(r);
    return result;
}

}  // namespace

extern "C" {

int32_t TOVEL_CALL TovelGetVersion(void)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    const CallRecord r = Call(kTovelGetVersion);
    return Recorded(r, maker ? CallAnyConvention(maker->getVersion) : 0, pass);
}

int32_t TOVEL_CALL TovelCreate(uint32_t* slot)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    const CallRecord r = Call(kTovelCreate, slot ? kHasSlot : 0, slot ? *slot : 0);
    return Recorded(r, maker ? CallAnyConvention(maker->create, slot) : 0, pass);
}

int32_t TOVEL_CALL TovelClose(uint32_t slot)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    const CallRecord r = Call(kTovelClose, kHasSlot, slot);
    return Recorded(r, maker ? CallAnyConvention(maker->close, slot) : 0, pass);
}

int32_t TOVEL_CALL TovelGetResource(uint32_t slot, void* resource)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    CallRecord r = Call(kTovelGetResource, kHasSlot, slot);
    const int32_t result = maker ? CallAnyConvention(maker->getResource, slot, resource) : 0;
    if (result && resource) {  // the I/O address, the word a field engineer checks first
        memcpy(&r.value, static_cast<const uint8_t*>(resource) + kTovelResourceIoAddress, 4);
        r.has |= kHasValue;
    }
    return Recorded(r, result, pass);
}

int32_t TOVEL_CALL TovelInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    CallRecord r = Call(kTovelInPort, kHasSlot | kHasPort, slot, port);
    const int32_t result = maker ? CallAnyConvention(maker->inPort, slot, port, value) : 0;
    if (result && value) {  // a failed read may leave the caller's byte as it was
        r.value = *value;
        r.has |= kHasValue;
    }
    return Recorded(r, result, pass);
}

int32_t TOVEL_CALL TovelOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    CallRecord r = Call(kTovelOutPort, kHasSlot | kHasPort | kHasValue, slot, port);
    r.value = value;
    return Recorded(r, maker ? CallAnyConvention(maker->outPort, slot, port, value) : 0, pass);
}

int32_t TOVEL_CALL TovelGetLastError(uint32_t slot)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    const CallRecord r = Call(kTovelGetLastError, kHasSlot, slot);
    return Recorded(r, maker ? CallAnyConvention(maker->getLastError, slot) : 0, pass);
}

int32_t TOVEL_CALL TovelGetSwitchValue(uint32_t slot, uint32_t* value)
{
    const Pass pass;
    const TovelEntries* maker = MakerFor(pass);
    CallRecord r = Call(kTovelGetSwitchValue, kHasSlot, slot);
    const int32_t result = maker ? CallAnyConvention(maker->getSwitchValue, slot, value) : 0;
    if (result && value) {
        r.value = *value;
        r.has |= kHasValue;
    }
    return Recorded(r, result, pass);
}

// Not one of the maker's: a host that loaded this tovel.dll can tell it is a
// trace driver, and say which maker's driver it passes the calls to (empty
// when none is bound) and where its trace file is (empty when none could be
// made). 1; 0 without room to say it.
int32_t TOVEL_CALL TovelTraceInfo(wchar_t* maker, wchar_t* trace, uint32_t chars)
{
    if (!maker || !trace || chars == 0)
        return 0;
    DescribeTracing(maker, trace, chars);
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        NoteGuestLoaded(instance);
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
