// The plug-in library's instance handle, stored by the library entry point:
// every resource is loaded from it and the window classes are registered
// under it.
#pragma once

#include <windows.h>

extern HINSTANCE hInstDll;
