#include "modules/process_call.h"

#include <windows.h>

// The process calls in progress, one entry each. The host may call process
// functions on any thread, so an entry is claimed, marked and given up in
// atomic steps. Nesting goes one module deep per module, so a process call
// finds a free entry unless more than this many modules call back into each
// other at once; then it does nothing, which is always safe.
//
// An entry is one 64-bit word: the module's record in its low half, the mark
// of an interrupt in its high half, zero when free. Every change is one
// compare-exchange of the whole word, so an interrupt marks a call of the
// module it names or nothing: never the call of another module that took the
// entry over between the interrupt's look and its mark.
struct ProcessCallEntry {
    alignas(8) volatile LONG64 word;
};

namespace {

const LONG64 kInterrupted = static_cast<LONG64>(1) << 32;

ProcessCallEntry g_calls[64];

LONG64 Held(const ModuleRecord* module)
{
    return static_cast<LONG64>(reinterpret_cast<uintptr_t>(module));
}

// The word as it is now; the exchange writes only a zero over a zero.
LONG64 Read(ProcessCallEntry& entry)
{
    return InterlockedCompareExchange64(&entry.word, 0, 0);
}

bool HeldFor(LONG64 word, const ModuleRecord* module)
{
    return static_cast<uint32_t>(word) == static_cast<uint32_t>(Held(module));
}

bool Claim(ProcessCallEntry& entry, const ModuleRecord* module)
{
    return InterlockedCompareExchange64(&entry.word, Held(module), 0) == 0;
}

// An interrupt may mark the entry at any moment until it is free.
void Give(ProcessCallEntry& entry)
{
    for (LONG64 word = Read(entry); word != 0;) {
        const LONG64 seen = InterlockedCompareExchange64(&entry.word, 0, word);
        if (seen == word)
            break;
        word = seen;
    }
}

}  // namespace

ProcessCall::ProcessCall(const ModuleRecord* module) : entry_(nullptr)
{
    if (!module)
        return;  // no module, nothing to do; and its entry would look free
    for (ProcessCallEntry& entry : g_calls) {
        if (Claim(entry, module)) {
            entry_ = &entry;
            break;
        }
    }
    if (!entry_)
        return;
    for (ProcessCallEntry& other : g_calls) {
        if (&other != entry_ && HeldFor(Read(other), module)) {  // the module's call is already in progress
            Give(*entry_);
            entry_ = nullptr;
            return;
        }
    }
}

ProcessCall::~ProcessCall()
{
    if (entry_)
        Give(*entry_);
}

bool ProcessCall::Interrupted() const
{
    return (Read(*entry_) & kInterrupted) != 0;
}

void InterruptProcessCall(const ModuleRecord* module)
{
    if (!module)
        return;
    for (ProcessCallEntry& entry : g_calls) {
        const LONG64 word = Read(entry);
        // A call of this module, unmarked, still in this very state: marked.
        if (HeldFor(word, module) && !(word & kInterrupted))
            InterlockedCompareExchange64(&entry.word, word | kInterrupted, word);
    }
}
