#include "dialogs/settings_dialog.h"

#include <stdio.h>
#include <string.h>

#include "controls/controls.h"
#include "controls/dialog_layout.h"
#include "frame/host/binding.h"
#include "frame/host/host_services.h"
#include "dialogs/about_box.h"
#include "frame/host/instance.h"
#include "frame/host/texts.h"

namespace {

const UINT kChannelLimit = 8;
const int kChannelNameChars = 20;
const int kModuleNameChars = 12;
const int kDescriptionChars = 40;


// One settings dialog is open at a time: it is modal.
struct SettingsState {
    uint8_t* workingCopy;
    UINT selected;
    UINT inUse;
    UINT limit;
    int marker;  // the edit that took the focus last, 23002 after a channel operation, or 0
};

SettingsState g_state;

ModuleRecord* Module()
{
    return host::CurrentModule();
}

char* WorkingName(UINT channel)
{
    return reinterpret_cast<char*>(g_state.workingCopy) + channel * kChannelNameSize;
}

void Send(HWND dialog, int id, UINT message, WPARAM wParam)
{
    SendDlgItemMessageA(dialog, id, message, wParam, 0);
}

// Sets a control's text from a field that should end in a zero but, coming
// from the host or a stored worksheet, might not.
void SetTextFrom(HWND dialog, int id, const char* field, size_t size)
{
    char text[64];
    size_t n = strnlen(field, size < sizeof text ? size : sizeof text - 1);
    memcpy(text, field, n);
    text[n] = '\0';
    SetDlgItemTextA(dialog, id, text);
}

void SetNumber(HWND dialog, int id, unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, text::kDecimalFormat, value);
    SetDlgItemTextA(dialog, id, text);
}

void SaveSelected(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_CHANNEL_NAME, WorkingName(g_state.selected), kChannelNameChars + 1);
}

void ShowSelected(HWND dialog)
{
    SetNumber(dialog, IDC_SELECTED_CHANNEL, g_state.selected);
    SetTextFrom(dialog, IDC_CHANNEL_NAME, WorkingName(g_state.selected), kChannelNameSize);
}

void SetControlStates(HWND dialog)
{
    for (UINT n = 0; n < g_state.limit; ++n) {
        WPARAM state = n >= g_state.inUse         ? kChannelNotInUse
                       : n == g_state.selected ? kChannelSelected
                                               : kChannelInUse;
        Send(dialog, IDC_CHANNEL_0 + n, CTL_SETSTATE, state);
    }
    if (bExperimentIsRunning == 1) {
        Send(dialog, IDC_LESS, CTL_SETSTATE, kLessDisabled);
        Send(dialog, IDC_MORE, CTL_SETSTATE, kMoreDisabled);
    } else {
        Send(dialog, IDC_LESS, CTL_SETSTATE, g_state.inUse >= 2 ? kLessUp : kLessDisabled);
        Send(dialog, IDC_MORE, CTL_SETSTATE, g_state.inUse <= g_state.limit - 1 ? kMoreUp : kMoreDisabled);
    }
}

BOOL Initialise(const ModuleKind& kind, HWND dialog)
{
    ModuleRecord* module = Module();
    g_state.workingCopy =
        static_cast<uint8_t*>(host::NewMemAlloc(kind.instanceDataSize, kind.tag, kind.lines.settingsAllocate));
    if (!g_state.workingCopy) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    memcpy(g_state.workingCopy, module->pInstanceData, kind.instanceDataSize);
    g_state.limit = kChannelLimit;
    // The dialog shows at most eight channels; a count beyond them (from a
    // hostile host or worksheet) would have the name copies run past the
    // working copy.
    g_state.inUse = ChannelCount(kind, module) < g_state.limit ? ChannelCount(kind, module) : g_state.limit;
    g_state.selected = 0;

    SetControlStates(dialog);
    PlaceDialog(dialog, hwndHost);
    ShowSelected(dialog);
    SetNumber(dialog, IDC_SHOWN_SLOT, LogSlot(module));
    SetDlgItemTextA(dialog, IDC_SHOWN_PORT, PortText(kind, Port(kind, module)));

    Send(dialog, IDC_CHANNEL_NAME, EM_LIMITTEXT, kChannelNameChars);
    Send(dialog, IDC_MODULE_NAME, EM_LIMITTEXT, kModuleNameChars);
    SetTextFrom(dialog, IDC_MODULE_NAME, module->szModuleName, sizeof module->szModuleName);
    Send(dialog, IDC_DESCRIPTION, EM_LIMITTEXT, kDescriptionChars);
    SetTextFrom(dialog, IDC_DESCRIPTION, module->szDescription, sizeof module->szDescription);

    SetFocus(GetDlgItem(dialog, IDC_MODULE_NAME));
    g_state.marker = 0;
    return FALSE;
}

BOOL EndChannelOperation(HWND dialog)
{
    g_state.marker = IDC_CHANNEL_0;
    SetFocus(GetDlgItem(dialog, IDC_MODULE_NAME));
    return TRUE;
}

// The count stays within 1..8 whoever sends the command: the arrows ignore
// clicks while disabled, but 23000 and 23001 can come from any window. "Less"
// leaves a count stored as 0 as it is.
void Less(HWND dialog)
{
    if (g_state.inUse <= 1)
        return;
    if (g_state.inUse == g_state.limit)
        Send(dialog, IDC_MORE, CTL_SETSTATE, kMoreUp);
    --g_state.inUse;
    if (g_state.inUse < 2)
        Send(dialog, IDC_LESS, CTL_SETSTATE, kLessDisabled);
    Send(dialog, IDC_CHANNEL_0 + g_state.inUse, CTL_SETSTATE, kChannelNotInUse);
    if (g_state.selected >= g_state.inUse) {
        g_state.selected = g_state.inUse - 1;
        Send(dialog, IDC_CHANNEL_0 + g_state.selected, CTL_SETSTATE, kChannelSelected);
    }
}

void More(HWND dialog)
{
    if (g_state.inUse >= g_state.limit)
        return;
    if (g_state.inUse == 1)
        Send(dialog, IDC_LESS, CTL_SETSTATE, kLessUp);
    ++g_state.inUse;
    if (g_state.inUse > g_state.limit - 1)
        Send(dialog, IDC_MORE, CTL_SETSTATE, kMoreDisabled);
    Send(dialog, IDC_CHANNEL_0 + g_state.inUse - 1, CTL_SETSTATE, kChannelInUse);
}

BOOL LessOrMore(HWND dialog, int arrow)
{
    SaveSelected(dialog);
    if (arrow == IDC_LESS)
        Less(dialog);
    else
        More(dialog);
    ShowSelected(dialog);
    return EndChannelOperation(dialog);
}

BOOL ChannelPressed(HWND dialog, HWND button, WORD state)
{
    int channel = GetDlgCtrlID(button) - IDC_CHANNEL_0;
    // Only a channel button of this dialog, in use and not selected, selects.
    if (state == kChannelInUse && GetParent(button) == dialog && channel >= 0 &&
        static_cast<UINT>(channel) < g_state.limit) {
        SaveSelected(dialog);
        Send(dialog, IDC_CHANNEL_0 + g_state.selected, KANAL_DESELECT, 0);
        g_state.selected = static_cast<UINT>(channel);
        SendMessageA(button, CTL_SETSTATE, kChannelSelected, 0);
        ShowSelected(dialog);
    }
    return EndChannelOperation(dialog);
}

void CopySelectedName(HWND dialog, bool always)
{
    SaveSelected(dialog);
    ShowSelected(dialog);
    if (!always && g_state.marker != IDC_CHANNEL_NAME)
        return;
    for (UINT n = 0; n < g_state.inUse; ++n) {
        if (n != g_state.selected)
            memcpy(WorkingName(n), WorkingName(g_state.selected), kChannelNameSize);
    }
}

// The dialog edits nothing more once OK or Cancel has taken the working copy:
// the host calls that follow (NewDoMemFree, ChangeModuleSize) may pump
// messages, and commands that come then, a second OK or Cancel among them,
// find nothing to do.
uint8_t* TakeWorkingCopy()
{
    uint8_t* copy = g_state.workingCopy;
    g_state.workingCopy = nullptr;
    return copy;
}

bool Editing()
{
    return g_state.workingCopy != nullptr;
}

void Accept(const ModuleKind& kind, HWND dialog)
{
    ModuleRecord* module = Module();
    SaveSelected(dialog);
    GetDlgItemTextA(dialog, IDC_MODULE_NAME, module->szModuleName, kModuleNameChars + 1);
    GetDlgItemTextA(dialog, IDC_DESCRIPTION, module->szDescription, kDescriptionChars + 1);
    // Everything the dialog copied goes back but the run state: a run may
    // have ended and the next begun while the dialog was open.
    memcpy(module->pInstanceData, g_state.workingCopy, kind.runStateOffset);
    host::NewDoMemFree(TakeWorkingCopy(), kind.tag, kind.lines.settingsReleaseOnOk);
    if (kind.id == kOutputModule)
        host::ChangeModuleSize(module, g_state.inUse, 0);
    else
        host::ChangeModuleSize(module, 0, g_state.inUse);
    EndDialog(dialog, 1);
}

void Cancel(const ModuleKind& kind, HWND dialog)
{
    host::NewDoMemFree(TakeWorkingCopy(), kind.tag, kind.lines.settingsReleaseOnCancel);
    EndDialog(dialog, 0);
}

INT_PTR Command(const ModuleKind& kind, HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        Accept(kind, dialog);
        return TRUE;
    case IDCANCEL:
        Cancel(kind, dialog);
        return TRUE;
    case IDC_HELP_BUTTON:
        WinHelpA(dialog, text::kHelpFile, HELP_FINDER, 0);
        return FALSE;
    case IDC_VERSION_BUTTON:
        ShowAboutBox(dialog);
        return TRUE;
    case IDC_LESS:
    case IDC_MORE:
        return LessOrMore(dialog, LOWORD(wParam));
    case IDC_MODULE_NAME:
    case IDC_DESCRIPTION:
    case IDC_CHANNEL_NAME:
        if (HIWORD(wParam) == EN_SETFOCUS)
            g_state.marker = LOWORD(wParam);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR SettingsDlgProc(const ModuleKind& kind, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return Initialise(kind, dialog);
    // Before the working copy exists and after OK or Cancel, nothing to edit.
    if (!Editing())
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return Command(kind, dialog, wParam);
    case KANAL_LBUTTONDOWN:
        return ChannelPressed(dialog, reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    case kCopySelectedNameIfEdited:
        CopySelectedName(dialog, false);
        return FALSE;
    case kCopySelectedName:
        CopySelectedName(dialog, true);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK OutputSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsDlgProc(KindOf(kOutputModule), dialog, message, wParam, lParam);
}

INT_PTR CALLBACK InputSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SettingsDlgProc(KindOf(kInputModule), dialog, message, wParam, lParam);
}

INT_PTR RunSettingsDialog(const ModuleKind& kind, HWND owner)
{
    DLGPROC proc = kind.id == kOutputModule ? OutputSettingsDlgProc : InputSettingsDlgProc;
    return DialogBoxParamA(hInstDll, kind.settingsTemplate, owner, proc, 0);
}
