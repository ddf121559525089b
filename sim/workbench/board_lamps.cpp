#include "sim/workbench/board_lamps.h"

#include <algorithm>

namespace workbench {

const COLORREF kLampOff = RGB(60, 60, 60), kOutputLampOn = RGB(230, 30, 30), kInputLampOn = RGB(30, 200, 30);

namespace {

const int kLampLeft = 50, kLampStep = 24, kLampSize = 18;

RECT Lamp(int index, int line, int row)
{
    const int x = kLampLeft + line * kLampStep + (line >= 8 ? 10 : 0);
    const int y = index * kLampBoardHeight + 28 + row * 30;
    return {x, y, x + kLampSize, y + kLampSize};
}

void PaintLamp(HDC dc, const RECT& r, COLORREF colour, bool clickable)
{
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(clickable ? WHITE_PEN : BLACK_PEN));
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

}  // namespace

RECT OutputLampRect(int index, int line) { return Lamp(index, line, 0); }
RECT InputLampRect(int index, int line) { return Lamp(index, line, 1); }

RECT LampBoardButtonRect(int index)
{
    return {kLampPanelWidth - 100, index * kLampBoardHeight + 2, kLampPanelWidth - 10, index * kLampBoardHeight + 24};
}

void PaintLampBoard(HDC dc, int index, const LampBoard& b)
{
    TextOutA(dc, 8, index * kLampBoardHeight + 6, b.title.c_str(), static_cast<int>(b.title.size()));
    const RECT button = LampBoardButtonRect(index);
    if (b.badge) {  // left of the button, where nothing covers it
        SIZE size;
        const int n = lstrlenA(b.badge);
        GetTextExtentPoint32A(dc, b.badge, n, &size);
        const COLORREF old = SetTextColor(dc, RGB(200, 0, 0));
        TextOutA(dc, button.left - size.cx - 10, index * kLampBoardHeight + 6, b.badge, n);
        SetTextColor(dc, old);
    }
    if (b.button) {
        DrawEdge(dc, const_cast<RECT*>(&button), EDGE_RAISED, BF_RECT);
        TextOutA(dc, button.left + 8, button.top + 4, b.button, lstrlenA(b.button));
    }
    TextOutA(dc, 8, Lamp(index, 0, 0).top + 2, "OUT", 3);
    TextOutA(dc, 8, Lamp(index, 0, 1).top + 2, "IN", 2);
    for (int line = 0; line < 16; ++line) {
        const int port = line / 8, bit = line % 8;
        PaintLamp(dc, OutputLampRect(index, line), (b.output[port] >> bit) & 1 ? kOutputLampOn : kLampOff, false);
        PaintLamp(dc, InputLampRect(index, line), (b.input[port] >> bit) & 1 ? kInputLampOn : kLampOff,
                  b.inputClickable[port]);
    }
}

RECT LampPanelFrame(int boards, int textHeight)
{
    RECT frame = {0, 0, kLampPanelWidth, std::min(std::max(boards, 1), 6) * kLampBoardHeight + textHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = frame.right - frame.left, left = std::max(0, GetSystemMetrics(SM_CXSCREEN) - width - 8);
    return {left, 8, left + width, 8 + frame.bottom - frame.top};
}

}  // namespace workbench
