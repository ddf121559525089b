#include "dialogs/settings_dialog.h"

#include <string.h>

#include "controls/controls.h"
#include "controls/dialog_layout.h"
#include "host/binding.h"
#include "host/host_services.h"
#include "dialogs/about_box.h"
#include "dialogs/dialog_state.h"
#include "host/instance.h"
#include "host/texts.h"

namespace {

const UINT kChannelLimit = kMaxModuleChannels;  // the channels the dialog shows
const int kChannelNameChars = 20;
const int kModuleNameChars = 12;
const int kDescriptionChars = 40;

// One open settings dialog, kept with its window.
struct Settings {
    HWND dialog;
    const ModuleKind* kind;
    // The host's current module when the dialog opened: the host may move its
    // selection while the dialog is open (a timer, another module's dialog),
    // and the edits belong to the module the user opened.
    ModuleRecord* module;
    uint8_t* workingCopy;  // null before it is allocated and after OK or Cancel took it
    UINT selected;
    UINT inUse;
    int lastFocused;  // the edit that took the focus last; IDC_CHANNEL_0 after a channel operation, 0 at first
};

char* WorkingName(const Settings& s, UINT channel)
{
    return reinterpret_cast<char*>(s.workingCopy) + channel * kChannelNameSize;
}

void Send(const Settings& s, int id, UINT message, WPARAM wParam)
{
    SendDlgItemMessageA(s.dialog, id, message, wParam, 0);
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
    char digits[16];
    text::Format(digits, sizeof digits, text::kDecimalFormat, value);
    SetDlgItemTextA(dialog, id, digits);
}

void SaveSelected(Settings& s)
{
    GetDlgItemTextA(s.dialog, IDC_CHANNEL_NAME, WorkingName(s, s.selected), kChannelNameChars + 1);
}

void ShowSelected(Settings& s)
{
    SetNumber(s.dialog, IDC_SELECTED_CHANNEL, s.selected);
    SetTextFrom(s.dialog, IDC_CHANNEL_NAME, WorkingName(s, s.selected), kChannelNameSize);
}

void SetControlStates(Settings& s)
{
    for (UINT n = 0; n < kChannelLimit; ++n) {
        WPARAM state = n >= s.inUse ? kChannelNotInUse : n == s.selected ? kChannelSelected : kChannelInUse;
        Send(s, IDC_CHANNEL_0 + n, CTL_SETSTATE, state);
    }
    if (bExperimentIsRunning == 1) {
        Send(s, IDC_LESS, CTL_SETSTATE, kLessDisabled);
        Send(s, IDC_MORE, CTL_SETSTATE, kMoreDisabled);
    } else {
        Send(s, IDC_LESS, CTL_SETSTATE, s.inUse >= 2 ? kLessUp : kLessDisabled);
        Send(s, IDC_MORE, CTL_SETSTATE, s.inUse <= kChannelLimit - 1 ? kMoreUp : kMoreDisabled);
    }
}

BOOL Initialise(Settings& s)
{
    const ModuleKind& kind = *s.kind;
    ModuleRecord* module = s.module;
    uint8_t* copy = static_cast<uint8_t*>(host::NewMemAlloc(kind.instanceDataSize, kind.tag, kind.lines.settingsAllocate));
    if (!copy) {
        EndDialog(s.dialog, 0);
        return TRUE;
    }
    memcpy(copy, module->pInstanceData, kind.instanceDataSize);
    s.workingCopy = copy;
    // The dialog shows at most kChannelLimit channels; a count beyond them (from a
    // hostile host or worksheet) would have the name copies run past the
    // working copy.
    s.inUse = ChannelCount(kind, module) < kChannelLimit ? ChannelCount(kind, module) : kChannelLimit;
    s.selected = 0;

    SetControlStates(s);
    PlaceDialog(s.dialog, hwndHost);
    ShowSelected(s);
    SetNumber(s.dialog, IDC_SHOWN_SLOT, LogSlot(module));
    SetDlgItemTextA(s.dialog, IDC_SHOWN_PORT, PortText(kind, Port(kind, module)));

    Send(s, IDC_CHANNEL_NAME, EM_LIMITTEXT, kChannelNameChars);
    Send(s, IDC_MODULE_NAME, EM_LIMITTEXT, kModuleNameChars);
    SetTextFrom(s.dialog, IDC_MODULE_NAME, module->szModuleName, sizeof module->szModuleName);
    Send(s, IDC_DESCRIPTION, EM_LIMITTEXT, kDescriptionChars);
    SetTextFrom(s.dialog, IDC_DESCRIPTION, module->szDescription, sizeof module->szDescription);

    SetFocus(GetDlgItem(s.dialog, IDC_MODULE_NAME));
    s.lastFocused = 0;
    return FALSE;
}

BOOL EndChannelOperation(Settings& s)
{
    s.lastFocused = IDC_CHANNEL_0;
    SetFocus(GetDlgItem(s.dialog, IDC_MODULE_NAME));
    return TRUE;
}

// The count stays within 1..8 whoever sends the command: the arrows ignore
// clicks while disabled, but 23000 and 23001 can come from any window. "Less"
// leaves a count stored as 0 as it is.
void Less(Settings& s)
{
    if (s.inUse <= 1)
        return;
    if (s.inUse == kChannelLimit)
        Send(s, IDC_MORE, CTL_SETSTATE, kMoreUp);
    --s.inUse;
    if (s.inUse < 2)
        Send(s, IDC_LESS, CTL_SETSTATE, kLessDisabled);
    Send(s, IDC_CHANNEL_0 + s.inUse, CTL_SETSTATE, kChannelNotInUse);
    if (s.selected >= s.inUse) {
        s.selected = s.inUse - 1;
        Send(s, IDC_CHANNEL_0 + s.selected, CTL_SETSTATE, kChannelSelected);
    }
}

void More(Settings& s)
{
    if (s.inUse >= kChannelLimit)
        return;
    if (s.inUse == 1)
        Send(s, IDC_LESS, CTL_SETSTATE, kLessUp);
    ++s.inUse;
    if (s.inUse > kChannelLimit - 1)
        Send(s, IDC_MORE, CTL_SETSTATE, kMoreDisabled);
    Send(s, IDC_CHANNEL_0 + s.inUse - 1, CTL_SETSTATE, kChannelInUse);
}

BOOL LessOrMore(Settings& s, int arrow)
{
    SaveSelected(s);
    if (arrow == IDC_LESS)
        Less(s);
    else
        More(s);
    ShowSelected(s);
    return EndChannelOperation(s);
}

BOOL ChannelPressed(Settings& s, HWND button, WORD state)
{
    int channel = GetDlgCtrlID(button) - IDC_CHANNEL_0;
    // Only a channel button of this dialog, in use and not selected, selects.
    const bool shown = channel >= 0 && static_cast<UINT>(channel) < kChannelLimit;
    if (state == kChannelInUse && GetParent(button) == s.dialog && shown) {
        SaveSelected(s);
        Send(s, IDC_CHANNEL_0 + s.selected, KANAL_DESELECT, 0);
        s.selected = static_cast<UINT>(channel);
        SendMessageA(button, CTL_SETSTATE, kChannelSelected, 0);
        ShowSelected(s);
    }
    return EndChannelOperation(s);
}

void CopySelectedName(Settings& s, bool always)
{
    SaveSelected(s);
    ShowSelected(s);
    if (!always && s.lastFocused != IDC_CHANNEL_NAME)
        return;
    for (UINT n = 0; n < s.inUse; ++n) {
        if (n != s.selected)
            memcpy(WorkingName(s, n), WorkingName(s, s.selected), kChannelNameSize);
    }
}

// The dialog edits nothing more once OK or Cancel has taken the working copy:
// the host calls that follow (NewDoMemFree, ChangeModuleSize) may pump
// messages, and commands that come then, a second OK or Cancel among them,
// find nothing to do.
uint8_t* TakeWorkingCopy(Settings& s)
{
    uint8_t* copy = s.workingCopy;
    s.workingCopy = nullptr;
    return copy;
}

void Accept(Settings& s)
{
    const ModuleKind& kind = *s.kind;
    ModuleRecord* module = s.module;
    SaveSelected(s);
    GetDlgItemTextA(s.dialog, IDC_MODULE_NAME, module->szModuleName, kModuleNameChars + 1);
    GetDlgItemTextA(s.dialog, IDC_DESCRIPTION, module->szDescription, kDescriptionChars + 1);
    // Everything the dialog copied goes back but the run state: a run may
    // have ended and the next begun while the dialog was open.
    memcpy(module->pInstanceData, s.workingCopy, kind.runStateOffset);
    const ConnectorCounts counts = CountsFor(kind, s.inUse);
    host::NewDoMemFree(TakeWorkingCopy(s), kind.tag, kind.lines.settingsReleaseOnOk);
    host::ChangeModuleSize(module, counts.inputs, counts.outputs);
    EndDialog(s.dialog, 1);
}

void Cancel(Settings& s)
{
    host::NewDoMemFree(TakeWorkingCopy(s), s.kind->tag, s.kind->lines.settingsReleaseOnCancel);
    EndDialog(s.dialog, 0);
}

INT_PTR Command(Settings& s, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        Accept(s);
        return TRUE;
    case IDCANCEL:
        Cancel(s);
        return TRUE;
    case IDC_HELP_BUTTON:
        WinHelpA(s.dialog, text::kHelpFile, HELP_FINDER, 0);
        return FALSE;
    case IDC_VERSION_BUTTON:
        ShowAboutBox(s.dialog);
        return TRUE;
    case IDC_LESS:
    case IDC_MORE:
        return LessOrMore(s, LOWORD(wParam));
    case IDC_MODULE_NAME:
    case IDC_DESCRIPTION:
    case IDC_CHANNEL_NAME:
        if (HIWORD(wParam) == EN_SETFOCUS)
            s.lastFocused = LOWORD(wParam);
        return FALSE;
    default:
        return FALSE;
    }
}

// One procedure for both kinds: the state knows which.
INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Settings* opening = static_cast<Settings*>(AttachDialogState(dialog));
        if (!opening) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        opening->dialog = dialog;
        return Initialise(*opening);
    }
    Settings* s = static_cast<Settings*>(DialogStateOf(dialog));
    // Before the working copy exists and after OK or Cancel, nothing to edit.
    if (!s || !s->workingCopy)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return Command(*s, wParam);
    case KANAL_LBUTTONDOWN:
        return ChannelPressed(*s, reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    case kCopySelectedNameIfEdited:
        CopySelectedName(*s, false);
        return FALSE;
    case kCopySelectedName:
        CopySelectedName(*s, true);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR RunSettingsDialog(const ModuleKind& kind, HWND owner)
{
    Settings settings = {};
    settings.kind = &kind;
    settings.module = host::CurrentModule();
    if (!settings.module)
        return 0;  // no module to edit
    return RunDialogWithState(kind.settingsTemplate, owner, SettingsDlgProc, &settings);
}
