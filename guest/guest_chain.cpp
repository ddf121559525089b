#include "guest/guest_chain.h"

#include "guest/thread_slot.h"

namespace {

ThreadSlot g_slot;

// Agrees with the other guests of the kind on the TLS slot they all use:
// the first guest to offer one has it taken, the others give theirs back.
// The section stays open for the guest's life, so the index stays agreed.
BOOL CALLBACK AgreeOnSlot(PINIT_ONCE, PVOID kind, PVOID*)
{
    wchar_t name[96];
    wsprintfW(name, L"Local\\%sSlot-%lu", static_cast<const wchar_t*>(kind), GetCurrentProcessId());
    const HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), name);
    LONG* agreed = section ? static_cast<LONG*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, sizeof(LONG))) : nullptr;
    if (!agreed)
        return TRUE;
    const DWORD offered = TlsAlloc();
    const LONG before = offered == TLS_OUT_OF_INDEXES
                            ? *agreed
                            : InterlockedCompareExchange(agreed, static_cast<LONG>(offered) + 1, 0);
    if (before != 0 && offered != TLS_OUT_OF_INDEXES)
        TlsFree(offered);
    g_slot = ThreadSlot(before != 0 ? static_cast<DWORD>(before - 1) : offered);
    UnmapViewOfFile(agreed);
    return TRUE;
}

// The TLS slot every guest of the kind in this process uses; none when none
// could be had, and then no call is refused. Agreed once, whichever threads
// come first.
ThreadSlot SharedSlot(const wchar_t* kind)
{
    static INIT_ONCE agreed = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&agreed, AgreeOnSlot, const_cast<wchar_t*>(kind), nullptr);
    return g_slot;
}

}  // namespace

GuestPass::GuestPass(const wchar_t* kind, HMODULE guest) : frame_{guest, nullptr}, outer_(nullptr)
{
    const ThreadSlot slot = SharedSlot(kind);
    slot_ = slot.Index();
    if (!slot.Valid())
        return;
    outer_ = static_cast<GuestFrame*>(slot.Get());
    if (outer_)
        outer_->inner = guest;
    else
        slot.Set(&frame_);
}

GuestPass::~GuestPass()
{
    if (!outer_)
        ThreadSlot(slot_).Set(nullptr);
}
