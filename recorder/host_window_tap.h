// The plug-in's lookups, seen on their way to the host's window: for the
// length of SetupKorvuDLL the recorder's window procedure stands in front of
// the host's (the host's main window, handed to the plug-in as it is), and
// then the host's goes back exactly. Each lookup is recorded with the
// host's answer; an answer that is one of the services the recorder wraps
// is replaced by the recorder's own function for it.
#pragma once

#include <windows.h>

void TapHostWindow(HWND host);
void UntapHostWindow(HWND host);
