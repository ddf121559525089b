// The hardware selection dialog DEV_SEL: which board and which port a new
// module is bound to. One procedure for both module kinds.
#pragma once

#include <windows.h>

#include "kinds/module_kind.h"

// Modal, owned by the module's window. 0 when the user accepted, leaving the
// choice in the kind's selection result; -1 when cancelled or nothing was free.
INT_PTR RunHardwareSelection(const ModuleKind& kind, HWND owner);

