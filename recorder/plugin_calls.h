// The calls the host makes into the plug-in, through the recorder: set-up and
// finish, the message handler and process function of each class the
// plug-in registers, the menu callback. Each is recorded as it returns, with
// what it found on entry: the floating-point words, the stack's alignment,
// the calls into the plug-in under way on its thread and the host service,
// if any, that the call came inside; and each host variable the plug-in
// announced that changed since the last call.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "host/host_services.h"
#include "host/host_records.h"

int32_t RecordedSetup(HWND host);
int32_t RecordedFinish(int32_t argument);

// The descriptor the host gets instead of the plug-in's: the same, with the
// recorder's handler and process function for the class; the plug-in's own
// stay behind them. The plug-in's own when the recorder has no room left.
const ModuleClassDescriptor* WrapClass(const ModuleClassDescriptor* descriptor);
// The same for a menu callback.
MenuEntryCallbackFn WrapMenuCallback(MenuEntryCallbackFn callback);

// A host variable the plug-in announced (DefineDllVariable), to be watched.
void WatchVariable(const char* name, const void* address, uint32_t size);
// The host's own current-module pointer, from the plug-in's lookup of it.
void WatchCurrentModule(uintptr_t address);

// The variables watched, by the number a variable record carries.
enum Watched : uint8_t {
    kMsPerSample,
    kBlockSize,
    kAnimation,
    kRunning,
    kPaused,
    kStartTicks,
    kBBoxModul,
    kCurrentModule,
    kWatched
};
const char* WatchedName(uint32_t variable);
inline bool WatchedIsDouble(uint32_t variable)
{
    return variable == kMsPerSample;
}
