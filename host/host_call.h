// The calling convention of every function that crosses between the host and
// the plug-in: the exports, the host services, and every callback the host
// calls (module handlers, process functions, the menu callback).
#pragma once

#ifndef HOST_CALL
#define HOST_CALL __cdecl
#endif
