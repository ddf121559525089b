// What a host's message loop may deliver to the plug-in's open dialogs while
// a host service runs: commands queued before the service was called.

#include "controls/controls.h"
#include "dialogs/settings_dialog.h"
#include "resources/resource_ids.h"
#include "sim/host/host_state.h"

namespace sim {

namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM list)
{
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

void SendQueuedCommands(HWND dialog)
{
    HWND button = GetDlgItem(dialog, IDC_CHANNEL_0 + 1);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } queued[] = {
        {WM_COMMAND, kCommandLess, 0},
        {WM_COMMAND, kCommandMore, 0},
        {kCopySelectedNameIfEdited, 0, 0},
        {kCopySelectedName, 0, 0},
        {KANAL_LBUTTONDOWN, reinterpret_cast<WPARAM>(button), kChannelInUse},
        {WM_COMMAND, IDOK, 0},
        {WM_COMMAND, IDCANCEL, 0},
    };
    for (const auto& q : queued) {
        if (!IsWindow(dialog))
            return;
        SendMessageA(dialog, q.message, q.wParam, q.lParam);
    }
}

}  // namespace

void PumpDialogs()
{
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs)
        SendQueuedCommands(dialog);
}

}  // namespace sim
