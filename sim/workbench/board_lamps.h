// A board drawn as lamps, as its front panel would show it: its 16 output
// lines above its 16 input lines, port 0 and port 1 named over them and each
// bit numbered under them, a title, and perhaps a button and a red word
// beside it. The bench's board panel draws the simulated boards so;
// korvu_host --watch draws a real board as the trace driver publishes it.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

namespace workbench {

struct LampBoard {
    std::string title;
    uint8_t output[2] = {};
    uint8_t input[2] = {};
    bool inputClickable[2] = {};  // drawn with a white rim
    const char* badge = nullptr;  // in red, left of the button
    const char* button = nullptr; // the button's label; null: no button
};

constexpr int kLampBoardHeight = 124, kLampPanelWidth = 540;

// Where things are drawn, for a person's or a test's click: the `index`th
// board shown, line 0..15 (port 0 bits 0..7, then port 1).
RECT OutputLampRect(int index, int line);
RECT InputLampRect(int index, int line);
RECT LampBoardButtonRect(int index);
extern const COLORREF kLampOff, kOutputLampOn, kInputLampOn;

void PaintLampBoard(HDC dc, int index, const LampBoard& board);

// The frame of a panel window that shows `boards` boards (at most six at
// once) and the panel's text below them, at the top right of the screen.
RECT LampPanelFrame(int boards);
// The panel's text along its bottom, wrapped onto a second line where it is
// longer than the panel is wide.
void PaintLampPanelText(HDC dc, HWND panel, const std::string& text);

}  // namespace workbench
