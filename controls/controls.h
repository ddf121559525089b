// The custom controls of the settings dialog, for the controls themselves,
// the dialog and the tests: window classes, states, messages, commands.
//
// Each control keeps a state word in its window's two extra bytes; the word
// is also the index of the host's bitmap that paints it.
#pragma once

#include <windows.h>

inline constexpr char kChannelButtonClass[] = "DOR:CONTROLKANAL";
inline constexpr char kExpandControlClass[] = "DOR:CONTROLLESSMORE";

// The channel button's states: the host's hBitChannel holds one bitmap each.
enum ChannelButtonState : WORD {
    kChannelSelected = 1,   // the channel whose name the dialog shows
    kChannelInUse = 2,
    kChannelNotInUse = 3,
    kChannelBitmaps = 4,    // a state from here on draws nothing
};

// The expand arrow's states: the host's hBitLessMore holds one bitmap each.
// States below kMoreDisabled make a "less" arrow, the others a "more" arrow.
enum ExpandState : WORD {
    kLessDisabled = 0,
    kLessUp = 1,
    kLessPressed = 2,
    kMoreDisabled = 3,
    kMoreUp = 4,
    kMorePressed = 5,
    kExpandBitmaps = 6,     // a state from here on draws nothing
};

// What an arrow sends its parent as WM_COMMAND on release, by its state
// group and whatever its own id.
enum ExpandCommand { kCommandLess = 23000, kCommandMore = 23001 };

enum ControlMessage : UINT {
    CTL_SETSTATE = 254,              // to a control: wParam the new state (low 16 bits)
    KANAL_LBUTTONDOWN = WM_USER + 1, // to the parent: wParam the button, lParam its state
    KANAL_LBUTTONUP = WM_USER + 2,
    KANAL_LBUTTONDBLCLK = WM_USER + 3,
    KANAL_RBUTTONDBLCLK = WM_USER + 4,
    KANAL_DESELECT = WM_USER + 5,    // to a button: kChannelSelected becomes kChannelInUse
};

static_assert(KANAL_LBUTTONDOWN == 1025 && KANAL_DESELECT == 1029, "the channel button's message numbers");

inline WORD ControlState(HWND control)
{
    return static_cast<WORD>(GetWindowWord(control, 0));
}

void SetControlState(HWND control, WORD state);

// At the end of set-up, and at finish.
void RegisterControlClasses();
void UnregisterControlClasses();
