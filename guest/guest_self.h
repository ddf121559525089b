// A guest DLL's own module and the moment it was loaded, noted by its
// DllMain (which does nothing else: no loading, no waiting, no files).
#pragma once

#include <windows.h>
#include <stdint.h>

void NoteGuestLoaded(HMODULE self);
HMODULE GuestModule();

// The folder the guest was loaded from, with its last backslash.
void GuestFolder(wchar_t* folder, DWORD size);
// `value` as a path: a full path as it is, anything else from the guest's folder.
void PathBesideGuest(const wchar_t* value, wchar_t* path, DWORD size);
// A new file in the temporary folder: the prefix, the local time to the
// millisecond and the process id, so that no two hosts share one.
void FreshTempPath(const wchar_t* prefix, wchar_t* path, int size);
// A path as a line of the guest's file shows it: in the system's code page.
void ShownPath(const wchar_t* path, char* shown, int size);

// The time of a record, from the processor's time stamp counter (which a
// call reads at a tenth of the performance counter's cost under Wine):
// tenths of a microsecond since the guest was loaded, at the rate
// TenthsPerStamp measures now against the performance counter. Whole
// numbers only: a writer's last turn runs on the host's thread.
uint64_t TenthsPerStamp();
// A writer's turn begins: TenthsPerStamp into the uint64_t its records are
// formatted with (a guest recording's TurnBeginsFn).
void MeasureTenthsPerStamp(void* tenthsPerStamp);
uint64_t TenthsSinceLoad(uint64_t stamp, uint64_t tenthsPerStamp);
