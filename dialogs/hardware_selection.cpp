#include "dialogs/hardware_selection.h"

#include <stdio.h>

#include "frame/host/host_services.h"
#include "frame/host/instance.h"
#include "frame/host/texts.h"
#include "resources/resource_ids.h"

namespace {

const int kNoSlot = -1;

// One dialog is open at a time: it is modal.
struct SelectionState {
    uint16_t rowSlot[kBoardSlots];
    uint16_t rowPort[kBoardPorts];
    int boardRows;
    int portRows;
    int shownSlot;
};

SelectionState g_state;

bool HasFreePort(const ModuleKind& kind, const BoardInfo& board)
{
    return (board.*kind.reserved)[0] == 0 || (board.*kind.reserved)[1] == 0;
}

void SetText(HWND dialog, int id, const char* format, uint32_t value)
{
    char text[32];
    snprintf(text, sizeof text, format, value);
    SetDlgItemTextA(dialog, id, text);
}

void ShowSlot(const ModuleKind& kind, HWND dialog, int slot)
{
    if (slot == g_state.shownSlot)
        return;
    const BoardInfo& board = BoardTable[slot];
    SetText(dialog, IDC_IO_ADDRESS, text::kIoAddressFormat, board.dwIoPortAddress);
    SetText(dialog, IDC_IO_LENGTH, text::kDecimalFormat, board.dwIoPortLength);
    SetText(dialog, IDC_SWITCH_VALUE, text::kSwitchValueFormat, board.dwSwitchValue);

    HWND ports = GetDlgItem(dialog, IDC_PORT_LIST);
    if (SendMessageA(ports, CB_GETCOUNT, 0, 0) > 0)
        SendMessageA(ports, CB_RESETCONTENT, 0, 0);
    g_state.portRows = 0;
    for (int p = 0; p < kBoardPorts; ++p) {
        if ((board.*kind.reserved)[p] == 0) {
            SendMessageA(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind.portText[p]));
            g_state.rowPort[g_state.portRows++] = static_cast<uint16_t>(p);
        }
    }
    SendMessageA(ports, CB_SETCURSEL, 0, 0);
    g_state.shownSlot = slot;
}

// The slot of the board list's current row, or kNoSlot.
int CurrentSlot(HWND dialog)
{
    LRESULT row = SendDlgItemMessageA(dialog, IDC_BOARD_LIST, LB_GETCURSEL, 0, 0);
    return row >= 0 && row < g_state.boardRows ? g_state.rowSlot[row] : kNoSlot;
}

BOOL Initialise(const ModuleKind& kind, HWND dialog)
{
    g_state.shownSlot = kNoSlot;
    g_state.boardRows = 0;
    g_state.portRows = 0;
    HWND list = GetDlgItem(dialog, IDC_BOARD_LIST);
    for (int s = 0; s < kBoardSlots; ++s) {
        if (BoardTable[s].bPresent == 1 && HasFreePort(kind, BoardTable[s])) {
            char row[32];
            snprintf(row, sizeof row, text::kBoardRowFormat, s);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
            g_state.rowSlot[g_state.boardRows++] = static_cast<uint16_t>(s);
        }
    }
    if (g_state.boardRows == 0) {
        host::ShowWarning(text::kErrorCaption, text::kNoUsableDevice);
        EndDialog(dialog, -1);
        return TRUE;
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    ShowSlot(kind, dialog, g_state.rowSlot[0]);
    return TRUE;
}

void Accept(const ModuleKind& kind, HWND dialog)
{
    int slot = CurrentSlot(dialog);
    LRESULT portRow = SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETCURSEL, 0, 0);
    // Every listed board has a free port, so both rows are there; a dialog
    // without them accepts nothing rather than something made up.
    if (slot == kNoSlot || portRow < 0 || portRow >= g_state.portRows)
        return;
    kind.selection->wLogSlot = static_cast<uint16_t>(slot);
    kind.selection->wPort = g_state.rowPort[portRow];
    EndDialog(dialog, 0);
}

INT_PTR SelectionDlgProc(const ModuleKind& kind, HWND dialog, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return Initialise(kind, dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Accept(kind, dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, -1);
            break;
        case IDC_BOARD_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                int slot = CurrentSlot(dialog);
                if (slot != kNoSlot)
                    ShowSlot(kind, dialog, slot);
            } else if (HIWORD(wParam) == LBN_DBLCLK) {
                Accept(kind, dialog);
            }
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK OutputSelectionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return SelectionDlgProc(KindOf(kOutputModule), dialog, message, wParam);
}

INT_PTR CALLBACK InputSelectionDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    return SelectionDlgProc(KindOf(kInputModule), dialog, message, wParam);
}

INT_PTR RunHardwareSelection(const ModuleKind& kind, HWND owner)
{
    DLGPROC proc = kind.id == kOutputModule ? OutputSelectionDlgProc : InputSelectionDlgProc;
    return DialogBoxParamA(hInstDll, "DEV_SEL", owner, proc, 0);
}
