// The plug-in's popup in the host's menu bar, and the set-up entry it
// registers with the host.

#include "host/host_services.h"
#include "frame/plugin.h"
#include "host/texts.h"
#include "resources/resource_ids.h"

namespace {

const UINT kPluginMenuPosition = 3;  // zero-based: the fourth top-level entry

}  // namespace

int32_t HOST_CALL OnSetupMenuEntry()
{
    return MessageBoxA(nullptr, text::kSetupEntryText, text::kSetupEntryCaption, MB_OK);
}

void InsertPluginMenu()
{
    HMENU bar = LoadMenuA(hInstDll, "UX1_MENU");
    HMENU popup = GetSubMenu(bar, 0);
    InsertMenuA(host::MainMenu(), kPluginMenuPosition, MF_BYPOSITION | MF_POPUP,
                reinterpret_cast<UINT_PTR>(popup), text::kPluginMenuTitle);
    // The popup now belongs to the host's bar; the resource's own bar is
    // only its wrapper.
    if (popup) {
        RemoveMenu(bar, 0, MF_BYPOSITION);
        DestroyMenu(bar);
    }
    DrawMenuBar(hwndHost);
    host::RegisterMenuEntry(MENU_ENTRY_SETUP, OnSetupMenuEntry);
}
