// The channel button "DOR:CONTROLKANAL": draws the host's picture of its
// state and reports mouse presses to its parent. The parent decides what a
// press means and sets the state in return.

#include "controls/controls.h"
#include "controls/state_control.h"

#include "host/binding.h"
#include "host/host_services.h"

namespace {

const int kWidth = 22, kHeight = 30;

void Notify(HWND button, UINT notification)
{
    SendMessageA(GetParent(button), notification, reinterpret_cast<WPARAM>(button), ControlState(button));
}

void Deselect(HWND button)
{
    if (ControlState(button) == kChannelSelected)
        SetControlState(button, kChannelInUse);
}

}  // namespace

static LRESULT CALLBACK ChannelButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (HandleStateControlMessage(window, message, wParam, lParam,
                                  StateControlLook{kWidth, kHeight, host::ChannelBitmaps(), kChannelBitmaps}))
        return 0;
    switch (message) {
    case KANAL_DESELECT:
        Deselect(window);
        return 0;
    case WM_LBUTTONDOWN:
        Notify(window, KANAL_LBUTTONDOWN);
        return 0;
    case WM_LBUTTONUP:
        Notify(window, KANAL_LBUTTONUP);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (!bExperimentIsRunning)
            Notify(window, KANAL_LBUTTONDBLCLK);
        return 0;
    case WM_RBUTTONDBLCLK:
        if (!bExperimentIsRunning)
            Notify(window, KANAL_RBUTTONDBLCLK);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterChannelButton()
{
    RegisterStateControlClass(kChannelButtonClass, CS_DBLCLKS, ChannelButtonProc);
}
