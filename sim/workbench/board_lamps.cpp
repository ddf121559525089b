#include "sim/workbench/board_lamps.h"

#include <algorithm>

namespace workbench {

const COLORREF kLampOff = RGB(60, 60, 60), kOutputLampOn = RGB(230, 30, 30), kInputLampOn = RGB(30, 200, 30);

namespace {

const int kLampLeft = 50, kLampStep = 24, kLampSize = 18, kPortGap = 10;
const int kPortNamesTop = 28, kLampsTop = 48, kRowStep = 30;
const int kTextHeight = 40;  // two lines of the panel's text

RECT Lamp(int index, int line, int row)
{
    const int x = kLampLeft + line * kLampStep + (line >= 8 ? kPortGap : 0);
    const int y = index * kLampBoardHeight + kLampsTop + row * kRowStep;
    return {x, y, x + kLampSize, y + kLampSize};
}

// `text` centred on x.
void Centred(HDC dc, int x, int y, const char* text)
{
    SIZE size;
    const int n = lstrlenA(text);
    GetTextExtentPoint32A(dc, text, n, &size);
    TextOutA(dc, x - size.cx / 2, y, text, n);
}

// "port 0" over its eight lamps, each bit's number under its input lamp.
void PaintLampLabels(HDC dc, int index)
{
    for (int port = 0; port < 2; ++port) {
        const RECT first = Lamp(index, port * 8, 0), last = Lamp(index, port * 8 + 7, 0);
        Centred(dc, (first.left + last.right) / 2, index * kLampBoardHeight + kPortNamesTop, port ? "port 1" : "port 0");
    }
    for (int line = 0; line < 16; ++line) {
        const RECT lamp = Lamp(index, line, 1);
        const char bit[2] = {static_cast<char>('0' + line % 8), 0};
        Centred(dc, (lamp.left + lamp.right) / 2, lamp.bottom + 2, bit);
    }
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
    PaintLampLabels(dc, index);
    TextOutA(dc, 8, Lamp(index, 0, 0).top + 2, "OUT", 3);
    TextOutA(dc, 8, Lamp(index, 0, 1).top + 2, "IN", 2);
    for (int line = 0; line < 16; ++line) {
        const int port = line / 8, bit = line % 8;
        PaintLamp(dc, OutputLampRect(index, line), (b.output[port] >> bit) & 1 ? kOutputLampOn : kLampOff, false);
        PaintLamp(dc, InputLampRect(index, line), (b.input[port] >> bit) & 1 ? kInputLampOn : kLampOff,
                  b.inputClickable[port]);
    }
}

RECT LampPanelFrame(int boards)
{
    RECT frame = {0, 0, kLampPanelWidth, std::min(std::max(boards, 1), 6) * kLampBoardHeight + kTextHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = frame.right - frame.left, left = std::max(0, GetSystemMetrics(SM_CXSCREEN) - width - 8);
    return {left, 8, left + width, 8 + frame.bottom - frame.top};
}

void PaintLampPanelText(HDC dc, HWND panel, const std::string& text)
{
    RECT area;
    GetClientRect(panel, &area);
    area.left += 8;
    area.right -= 8;
    area.top = area.bottom - kTextHeight + 2;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace workbench
