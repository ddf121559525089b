#include "dialogs/hardware_selection.h"


#include "dialogs/dialog_state.h"
#include "host/host_services.h"
#include "host/instance.h"
#include "host/texts.h"
#include "resources/resource_ids.h"

namespace {

const int kNoSlot = -1;

// One open hardware selection dialog, kept with its window.
struct Selection {
    const ModuleKind* kind;
    bool accepted;
    SelectionResult chosen;          // once accepted
    uint16_t rowSlot[kBoardSlots];
    uint16_t rowPort[kBoardPorts];
    int boardRows;
    int portRows;
    int shownSlot;
};

bool HasFreePort(const ModuleKind& kind, const BoardInfo& board)
{
    return (board.*kind.reservationFlags)[0] == 0 || (board.*kind.reservationFlags)[1] == 0;
}

void SetText(HWND dialog, int id, const char* format, uint32_t value)
{
    char shown[32];
    text::Format(shown, sizeof shown, format, value);
    SetDlgItemTextA(dialog, id, shown);
}

void ShowSlot(Selection& s, HWND dialog, int slot)
{
    if (slot == s.shownSlot)
        return;
    const BoardInfo& board = BoardTable[slot];
    SetText(dialog, IDC_IO_ADDRESS, text::kIoAddressFormat, board.dwIoPortAddress);
    SetText(dialog, IDC_IO_LENGTH, text::kDecimalFormat, board.dwIoPortLength);
    SetText(dialog, IDC_SWITCH_VALUE, text::kSwitchValueFormat, board.dwSwitchValue);

    HWND ports = GetDlgItem(dialog, IDC_PORT_LIST);
    if (SendMessageA(ports, CB_GETCOUNT, 0, 0) > 0)
        SendMessageA(ports, CB_RESETCONTENT, 0, 0);
    s.portRows = 0;
    for (int p = 0; p < kBoardPorts; ++p) {
        if ((board.*s.kind->reservationFlags)[p] == 0) {
            SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.kind->portText[p]));
            s.rowPort[s.portRows++] = static_cast<uint16_t>(p);
        }
    }
    SendMessageA(ports, CB_SETCURSEL, 0, 0);
    s.shownSlot = slot;
}

// The slot of the board list's current row, or kNoSlot.
int CurrentSlot(const Selection& s, HWND dialog)
{
    LRESULT row = SendDlgItemMessageA(dialog, IDC_BOARD_LIST, LB_GETCURSEL, 0, 0);
    return row >= 0 && row < s.boardRows ? s.rowSlot[row] : kNoSlot;
}

BOOL Initialise(Selection& s, HWND dialog)
{
    s.shownSlot = kNoSlot;
    s.boardRows = 0;
    s.portRows = 0;
    HWND list = GetDlgItem(dialog, IDC_BOARD_LIST);
    for (int slot = 0; slot < kBoardSlots; ++slot) {
        if (BoardTable[slot].bPresent == 1 && HasFreePort(*s.kind, BoardTable[slot])) {
            char row[32];
            text::Format(row, sizeof row, text::kBoardRowFormat, slot);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
            s.rowSlot[s.boardRows++] = static_cast<uint16_t>(slot);
        }
    }
    if (s.boardRows == 0) {
        host::ShowWarning(text::kErrorCaption, text::kNoUsableDevice);
        EndDialog(dialog, -1);
        return TRUE;
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    ShowSlot(s, dialog, s.rowSlot[0]);
    return TRUE;
}

void Accept(Selection& s, HWND dialog)
{
    int slot = CurrentSlot(s, dialog);
    LRESULT portRow = SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETCURSEL, 0, 0);
    // Every listed board has a free port, so both rows are there; a dialog
    // without them accepts nothing rather than something made up.
    if (slot == kNoSlot || portRow < 0 || portRow >= s.portRows)
        return;
    s.chosen.wLogSlot = static_cast<uint16_t>(slot);
    s.chosen.wPort = s.rowPort[portRow];
    s.accepted = true;
    EndDialog(dialog, 0);
}

// One procedure for both kinds: the state knows which.
INT_PTR CALLBACK SelectionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        Selection* opening = static_cast<Selection*>(AttachDialogState(dialog));
        if (!opening) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        return Initialise(*opening, dialog);
    }
    Selection* s = static_cast<Selection*>(DialogStateOf(dialog));
    if (!s || message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        Accept(*s, dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, -1);
        break;
    case IDC_BOARD_LIST:
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            int slot = CurrentSlot(*s, dialog);
            if (slot != kNoSlot)
                ShowSlot(*s, dialog, slot);
        } else if (HIWORD(wParam) == LBN_DBLCLK) {
            Accept(*s, dialog);
        }
        break;
    }
    return TRUE;
}

}  // namespace

bool RunHardwareSelection(const ModuleKind& kind, HWND owner, SelectionResult* chosen)
{
    Selection selection = {};
    selection.kind = &kind;
    // Only what the user accepted: a dialog that could not be shown ends with
    // 0 as well.
    if (RunDialogWithState("DEV_SEL", owner, SelectionDlgProc, &selection) != 0 || !selection.accepted)
        return false;
    *chosen = selection.chosen;
    return true;
}
