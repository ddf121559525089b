// The hardware selection dialog DEV_SEL: which board and which port a new
// module is bound to. One procedure for both module kinds.
#pragma once

#include <windows.h>

#include "kinds/module_kind.h"

// The board slot and port the user chose.
struct SelectionResult {
    uint16_t wLogSlot;
    uint16_t wPort;
};

// Modal, owned by the module's window. True when the user accepted, with the
// choice in `chosen`; false when cancelled or nothing was free.
bool RunHardwareSelection(const ModuleKind& kind, HWND owner, SelectionResult* chosen);

