#include "modules/process_call.h"

#include <windows.h>

// The process calls in progress, one entry each. The host may call process
// functions on any thread, so an entry is claimed and given up atomically.
// Nesting goes one module deep per module, so a process call finds a free
// entry unless more than this many modules call back into each other at once;
// then it does nothing, which is always safe.
struct ProcessCallEntry {
    PVOID volatile module;  // the module's record, or null when free
    volatile LONG interrupted;
};

namespace {

ProcessCallEntry g_calls[64];

bool Claim(ProcessCallEntry& entry, const ModuleRecord* module)
{
    return InterlockedCompareExchangePointer(&entry.module, const_cast<ModuleRecord*>(module), nullptr) == nullptr;
}

void Give(ProcessCallEntry& entry)
{
    entry.interrupted = 0;
    InterlockedExchangePointer(&entry.module, nullptr);
}

}  // namespace

ProcessCall::ProcessCall(const ModuleRecord* module) : entry_(nullptr)
{
    for (ProcessCallEntry& entry : g_calls) {
        if (Claim(entry, module)) {
            entry_ = &entry;
            break;
        }
    }
    if (!entry_)
        return;
    for (const ProcessCallEntry& other : g_calls) {
        if (&other != entry_ && other.module == module) {  // the module's call is already in progress
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
    return entry_->interrupted != 0;
}

void InterruptProcessCall(const ModuleRecord* module)
{
    for (ProcessCallEntry& entry : g_calls) {
        if (entry.module == module)
            InterlockedExchange(&entry.interrupted, 1);
    }
}
