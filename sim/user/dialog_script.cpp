#include "sim/user/dialog_script.h"

#include <string>

#include "sim/host/host_fpu.h"
#include "sim/host/sim_host.h"

#include <deque>
#include <map>

namespace {

const UINT kWatchdogMs = 10000;
// The first step waits until the new dialog has been shown and its loop has
// gone idle once, so that Wine has put it on the screen.
const UINT kFirstStepDelayMs = 100;

std::deque<DialogScript*> g_waiting;
HHOOK g_hook;
std::map<UINT_PTR, DialogScript*> g_stepTimers;
std::map<UINT_PTR, DialogScript*> g_watchdogs;

bool IsDialogWindow(HWND window)
{
    char name[16];
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

}  // namespace

struct DialogScriptRunner {
    static void Schedule(DialogScript* s, UINT delayMs = 0);

    static void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        auto it = g_stepTimers.find(id);
        if (it == g_stepTimers.end())
            return;
        DialogScript* s = it->second;
        g_stepTimers.erase(it);
        if (!IsWindow(s->dialog_)) {
            if (s->next_ < s->steps_.size())
                sim::ReportProblem("the dialog closed with " + std::to_string(s->steps_.size() - s->next_) +
                                   " steps of its script left");
            return;
        }
        if (s->next_ < s->steps_.size()) {
            DialogScript::Step step = s->steps_[s->next_++];
            sim::BackInHost host("a dialog script's step");  // inside the plug-in's dialog loop
            step(s->dialog_);  // may block in a nested dialog of its own
            Schedule(s);
        }
    }

    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        auto it = g_watchdogs.find(id);
        if (it == g_watchdogs.end())
            return;
        DialogScript* s = it->second;
        g_watchdogs.erase(it);
        if (IsWindow(s->dialog_)) {
            s->timedOut_ = true;
            sim::ReportProblem("watchdog: the dialog was still open 10 s after it appeared");
            EndDialog(s->dialog_, -999);
        }
    }

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && IsDialogWindow(reinterpret_cast<HWND>(wParam)) && !g_waiting.empty()) {
            HWND dialog = reinterpret_cast<HWND>(wParam);
            bool known = false;
            for (auto& entry : g_watchdogs)
                known = known || entry.second->dialog_ == dialog;
            if (!known) {
                DialogScript* s = g_waiting.front();
                g_waiting.pop_front();
                s->dialog_ = dialog;
                s->started_ = true;
                g_watchdogs[SetTimer(nullptr, 0, kWatchdogMs, Watchdog)] = s;
                Schedule(s, kFirstStepDelayMs);
            }
        }
        return CallNextHookEx(g_hook, code, wParam, lParam);
    }
};

void DialogScriptRunner::Schedule(DialogScript* s, UINT delayMs)
{
    g_stepTimers[SetTimer(nullptr, 0, delayMs, RunStep)] = s;
}

DialogScript& DialogScript::Then(Step step)
{
    steps_.push_back(step);
    return *this;
}

ArmedScripts::ArmedScripts(std::initializer_list<DialogScript*> scripts)
    : ArmedScripts(std::vector<DialogScript*>(scripts))
{
}

ArmedScripts::ArmedScripts(const std::vector<DialogScript*>& scripts)
{
    for (DialogScript* s : scripts)
        g_waiting.push_back(s);
    if (!g_hook)
        g_hook = SetWindowsHookExA(WH_CBT, DialogScriptRunner::CbtHook, nullptr, GetCurrentThreadId());
}

ArmedScripts::~ArmedScripts()
{
    for (auto& entry : g_stepTimers)
        KillTimer(nullptr, entry.first);
    for (auto& entry : g_watchdogs)
        KillTimer(nullptr, entry.first);
    g_stepTimers.clear();
    g_watchdogs.clear();
    g_waiting.clear();
    if (g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

// ---------------------------------------------------------------- what a user does

std::wstring WindowTextW(HWND window)
{
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, n > 0 ? n : 0);
}

std::wstring ControlText(HWND dialog, int id)
{
    return WindowTextW(GetDlgItem(dialog, id));
}

std::string ControlTextA(HWND dialog, int id)
{
    char text[1024];
    int n = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

void Type(HWND dialog, int id, const std::wstring& text)
{
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
}

void Click(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, UINT vk)
{
    HWND focus = GetFocus();
    PostMessageW(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, vk, 1);
}

void PressCloseBox(HWND dialog)
{
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

namespace {

LPARAM RowPoint(HWND list, int row)
{
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2);
}

}  // namespace

void ClickListRow(HWND dialog, int id, int row)
{
    HWND list = GetDlgItem(dialog, id);
    LPARAM at = RowPoint(list, row);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void DoubleClickListRow(HWND dialog, int id, int row)
{
    HWND list = GetDlgItem(dialog, id);
    LPARAM at = RowPoint(list, row);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void SelectComboRow(HWND dialog, int id, int row)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, row, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

namespace {

std::vector<std::wstring> Rows(HWND control, UINT count, UINT length, UINT get)
{
    std::vector<std::wstring> rows;
    int n = static_cast<int>(SendMessageW(control, count, 0, 0));
    for (int i = 0; i < n; ++i) {
        std::wstring row(SendMessageW(control, length, i, 0) + 1, L'\0');
        SendMessageW(control, get, i, reinterpret_cast<LPARAM>(&row[0]));
        row.resize(wcslen(row.c_str()));
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

std::vector<std::wstring> ListRows(HWND dialog, int id)
{
    return Rows(GetDlgItem(dialog, id), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::wstring> ComboRows(HWND dialog, int id)
{
    return Rows(GetDlgItem(dialog, id), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ListSelection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0));
}

int ComboSelection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}
