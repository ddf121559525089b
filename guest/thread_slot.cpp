#include "guest/thread_slot.h"

#include <intrin.h>

namespace {

// A 32-bit TEB holds the first 64 slots as TlsSlots, at 0xE10.
const DWORD kTebSlots = 64, kTebSlotsAt = 0xE10;

}  // namespace

void* ThreadSlot::Get() const
{
    if (!Valid())
        return nullptr;
#if defined(__i386__) || defined(_M_IX86)
    if (index_ < kTebSlots)
        return reinterpret_cast<void*>(__readfsdword(kTebSlotsAt + 4 * index_));
#endif
    return TlsGetValue(index_);
}

void ThreadSlot::Set(void* value) const
{
    if (!Valid())
        return;
#if defined(__i386__) || defined(_M_IX86)
    if (index_ < kTebSlots) {
        __writefsdword(kTebSlotsAt + 4 * index_, reinterpret_cast<DWORD>(value));
        return;
    }
#endif
    TlsSetValue(index_, value);
}
