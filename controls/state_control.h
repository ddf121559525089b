// What the two custom controls share: their class registration, the state
// word and the painting of the host's bitmap for it.
#pragma once

#include <windows.h>

void RegisterStateControlClass(const char* name, UINT style, WNDPROC procedure);
void UnregisterStateControlClass(const char* name);

// Each control's registration, beside its window procedure.
void RegisterChannelButton();
void RegisterExpandControl();

// Takes the fixed size at creation (keeping the position), draws the host's
// bitmap of the state, sized as entry 0 of the array (nothing for a state
// past the `count` bitmaps the host promises), and takes a new state from
// CTL_SETSTATE. True when the message was one of these.
struct StateControlLook {
    int width, height;
    const HBITMAP* bitmaps;
    WORD count;
};
bool HandleStateControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                               const StateControlLook& look);
