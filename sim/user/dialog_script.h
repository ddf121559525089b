// Driving the modal dialogs that the code under test opens, as a user would.
//
// A script is a list of steps. When the next dialog box (or message box) of
// this thread is activated, the script takes it, and its steps run one per
// turn of the dialog's own message loop, so that input posted by one step
// (a key press, the close box) has been handled when the next step runs.
// Scripts queue: a dialog opened by a step (the about box from a settings
// dialog) is taken by the next armed script, inside the nested loop.
//
//     DialogScript about;
//     about.Then([](HWND d) { PressKey(d, VK_ESCAPE); })
//          .Then([](HWND d) { EXPECT_TRUE(IsWindow(d)); Click(d, IDOK); });
//     ArmedScripts armed({&about});
//     ShowTheAboutBox();
//     EXPECT_TRUE(about.Completed());
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class DialogScript {
public:
    typedef std::function<void(HWND dialog)> Step;

    DialogScript& Then(Step step);

    HWND Dialog() const { return dialog_; }
    bool Started() const { return dialog_ != nullptr; }
    // Every step ran and the dialog is gone.
    bool Completed() const { return started_ && next_ == steps_.size() && !IsWindow(dialog_); }
    bool TimedOut() const { return timedOut_; }

private:
    friend class ArmedScripts;
    friend struct DialogScriptRunner;
    std::vector<Step> steps_;
    size_t next_ = 0;
    HWND dialog_ = nullptr;
    bool started_ = false;
    bool timedOut_ = false;
};

// Watches this thread for dialogs while in scope, handing each new one to the
// next script. A watchdog ends a dialog whose script is done or stuck, so a
// broken test fails instead of hanging.
class ArmedScripts {
public:
    ArmedScripts(std::initializer_list<DialogScript*> scripts);
    explicit ArmedScripts(const std::vector<DialogScript*>& scripts);
    ~ArmedScripts();
};

// ---------------------------------------------------------------- what a user does

std::wstring ControlText(HWND dialog, int id);
std::string ControlTextA(HWND dialog, int id);  // the ANSI bytes (code page 932)
std::wstring WindowTextW(HWND window);
// Types the text into an edit as key presses: focus, select all, one WM_CHAR each.
void Type(HWND dialog, int id, const std::wstring& text);
void Click(HWND dialog, int id);          // the button's own click (BM_CLICK)
void PressKey(HWND dialog, UINT vk);      // posted to the focus, as the keyboard does
void PressCloseBox(HWND dialog);          // the caption's close button
void ClickListRow(HWND dialog, int id, int row);        // mouse press and release on the row
void DoubleClickListRow(HWND dialog, int id, int row);
void SelectComboRow(HWND dialog, int id, int row);      // choosing a row of a drop-down list
std::vector<std::wstring> ListRows(HWND dialog, int id);
std::vector<std::wstring> ComboRows(HWND dialog, int id);
int ListSelection(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);
