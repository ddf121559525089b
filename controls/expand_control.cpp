// The expand control "DOR:CONTROLLESSMORE": an arrow that shows its pressed
// picture while held and, on release anywhere, tells its parent "less"
// (states 0 to 2) or "more" (states 3 to 5) by WM_COMMAND.

#include "controls/controls.h"
#include "controls/state_control.h"

#include "host/host_services.h"

namespace {

const int kWidth = 24, kHeight = 32;

bool Disabled(WORD state)
{
    return state == kLessDisabled || state == kMoreDisabled;
}

bool LessGroup(WORD state)
{
    return state < kMoreDisabled;
}

void ShowState(HWND arrow, WORD state)
{
    SetControlState(arrow, state);
    UpdateWindow(arrow);
}

void Press(HWND arrow)
{
    WORD state = ControlState(arrow);
    if (Disabled(state))
        return;
    ShowState(arrow, LessGroup(state) ? kLessPressed : kMorePressed);
    SetCapture(arrow);
}

// A parent that disables the arrow between press and release (a command
// from another window can) gets no command, and the mouse is let go anyway.
void Release(HWND arrow)
{
    if (GetCapture() != arrow)
        return;
    WORD state = ControlState(arrow);
    ReleaseCapture();
    if (Disabled(state))
        return;
    bool less = LessGroup(state);
    ShowState(arrow, less ? kLessUp : kMoreUp);
    SendMessageA(GetParent(arrow), WM_COMMAND, less ? kCommandLess : kCommandMore, 0);
}

}  // namespace

static LRESULT CALLBACK ExpandControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HandleStateControlMessage(window, message, wParam, lParam,
                                  StateControlLook{kWidth, kHeight, host::LessMoreBitmaps(), kExpandBitmaps}))
        return 0;
    switch (message) {
    case WM_LBUTTONDOWN:
        Press(window);
        return 0;
    case WM_LBUTTONUP:
        Release(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterExpandControl()
{
    RegisterStateControlClass(kExpandControlClass, 0, ExpandControlProc);
}
