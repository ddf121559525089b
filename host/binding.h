// Binding to the host: the host's main window, one slot per name asked for,
// and the plug-in-owned state variables that the host keeps current.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "host/host_names.h"

extern HWND hwndHost;
extern uintptr_t g_hostVariableSlot[HV_COUNT];
extern uintptr_t g_hostFunctionSlot[HF_COUNT];

// Written by the host once announced; the plug-in only reads them.
extern volatile double fGlobalMilliSecondsPerSample;
extern volatile uint32_t uiGlobalBlockSize;
extern volatile uint32_t bAnimation;
extern volatile uint32_t bExperimentIsRunning;
extern volatile uint32_t bExperimentIsPaused;
extern volatile uint32_t dwExperimentStartTimeTicks;
extern volatile uint32_t BBoxModul;

// Steps 1 to 5 of SetupKorvuDLL: the lookups, DefineDllModule and the
// announcements. 1 when all succeeded; 0 at the first failure.
int32_t BindToHost(HWND host);
