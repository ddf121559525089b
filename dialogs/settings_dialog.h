// The module settings dialog, TOVEL_OUT or TOVEL_IN: module name and
// description, the number of channels in use and their names. It edits a
// working copy of the per-instance data; nothing reaches the module before OK.
#pragma once

#include <windows.h>

#include "controls/controls.h"
#include "kinds/module_kind.h"
#include "resources/resource_ids.h"

static_assert(IDC_CHANNEL_0 + 15 == 23017 && IDC_MODULE_NAME == IDC_CHANNEL_0 + 16,
              "the sixteen channel buttons lie between the arrows and the name edit");
static_assert(IDC_LESS == kCommandLess && IDC_MORE == kCommandMore, "the arrows' commands are their ids");

// Modal over the module's window; 1 after OK, 0 after Cancel or when the
// working copy could not be allocated. Edits the host's current module as it
// is when the dialog opens; 0 at once without one.
INT_PTR RunSettingsDialog(const ModuleKind& kind, HWND owner);


constexpr UINT kCopySelectedNameIfEdited = WM_USER + 7, kCopySelectedName = WM_USER + 8;
