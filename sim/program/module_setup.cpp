#include "sim/program/module_setup.h"

#include <algorithm>
#include <vector>

#include "resources/resource_ids.h"
#include "sim/common/utf8.h"
#include "sim/user/dialog_script.h"
#include "sim/pictures/screenshot.h"

namespace {

int RowWith(const std::vector<std::wstring>& rows, const std::wstring& part)
{
    auto row = std::find_if(rows.begin(), rows.end(), [&](const std::wstring& r) { return r.find(part) != r.npos; });
    return row == rows.end() ? -1 : static_cast<int>(row - rows.begin());
}

void Press(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(button, WM_LBUTTONUP, 0, 0);
}

}  // namespace

Placed Place(HostSession& session, const char* className, int slot, int port, const std::string& picture)
{
    Placed placed;
    const ModuleClassDescriptor* cls = session.Class(className);
    if (!cls)
        return placed;
    placed.module = sim::CreateModule(*cls, sim::HostWindow());
    DialogScript select;
    select.Then([&](HWND d) {
        SaveScreenshotTo(d, picture);
        // Rows read "Tovel - 0"; ports "... 0 ( 0 - 7 )", free ones only.
        const int board = RowWith(ListRows(d, IDC_BOARD_LIST), L"Tovel - " + std::to_wstring(slot));
        if (board < 0) {
            Click(d, IDCANCEL);
            return;
        }
        ClickListRow(d, IDC_BOARD_LIST, board);
        const std::vector<std::wstring> ports = ComboRows(d, IDC_PORT_LIST);
        const int row = RowWith(ports, L" " + std::to_wstring(port) + L" (");
        if (row < 0) {
            Click(d, IDCANCEL);
            return;
        }
        SelectComboRow(d, IDC_PORT_LIST, row);
        placed.board = Narrow(ListRows(d, IDC_BOARD_LIST)[board]);
        placed.port = Narrow(ports[row]);
        Click(d, IDOK);
    });
    ArmedScripts armed({&select});
    placed.ok = placed.module.handler(placed.module.record, kMsgCreate, 0, nullptr) == 1;
    return placed;
}

bool Configure(sim::Module& m, const wchar_t* name, const wchar_t* description, const wchar_t* channelPrefix,
               int channels, const std::string& picture)
{
    sim::SetCurrentModulePtr(m.record);
    DialogScript settings;
    settings.Then([&](HWND d) {
        Type(d, IDC_MODULE_NAME, name);
        Type(d, IDC_DESCRIPTION, description);
        for (int i = 1; i < channels; ++i)
            Press(d, IDC_MORE);
        for (int c = channels - 1; c >= 0; --c) {
            Press(d, IDC_CHANNEL_0 + c);
            Type(d, IDC_CHANNEL_NAME, channelPrefix + std::to_wstring(c));
        }
        SaveScreenshotTo(d, picture);
        Click(d, IDOK);
    });
    ArmedScripts armed({&settings});
    m.handler(m.record, kMsgSettings, 0, nullptr);
    return settings.Completed();
}
