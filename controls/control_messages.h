// The messages between the settings dialog and its custom controls.
#pragma once

#include <windows.h>

enum ControlMessage : UINT {
    CTL_SETSTATE = 254,              // wParam: the new state (low 16 bits)
    KANAL_LBUTTONDOWN = WM_USER + 1, // to the parent: wParam the button, lParam its state
    KANAL_LBUTTONUP = WM_USER + 2,
    KANAL_LBUTTONDBLCLK = WM_USER + 3,
    KANAL_RBUTTONDBLCLK = WM_USER + 4,
    KANAL_DESELECT = WM_USER + 5,    // to a button: state 1 becomes 2
};

static_assert(KANAL_LBUTTONDOWN == 1025 && KANAL_DESELECT == 1029, "the channel button's message numbers");

// Commands the expand control sends its parent, by the group of its state.
enum { kCommandLess = 23000, kCommandMore = 23001 };

extern const char kChannelButtonClass[];  // "DOR:CONTROLKANAL"
extern const char kExpandControlClass[];  // "DOR:CONTROLLESSMORE"

// The state word in the window's two extra bytes; the index of its bitmap.
inline WORD ControlState(HWND control)
{
    return static_cast<WORD>(GetWindowWord(control, 0));
}

void SetControlState(HWND control, WORD state);

// What both controls do alike: take their fixed size at creation (keeping the
// position), draw the host's bitmap of their state, sized as entry 0 of the
// array (nothing for a state past the `count` bitmaps the host promises),
// and take a new state from CTL_SETSTATE. True when the message was one of these.
struct StateControlLook {
    int width, height;
    const HBITMAP* bitmaps;
    WORD count;
};
bool HandleStateControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                               const StateControlLook& look);

// At the end of set-up, and at finish.
void RegisterControlClasses();
void UnregisterControlClasses();

LRESULT CALLBACK ChannelButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ExpandControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
