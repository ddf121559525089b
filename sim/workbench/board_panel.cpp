#include "sim/workbench/board_panel.h"

#include <stdio.h>

#include <algorithm>

#include <vector>

#include "sim/workbench/live_window.h"

namespace workbench {

const COLORREF kLampOff = RGB(60, 60, 60), kOutputLampOn = RGB(230, 30, 30), kInputLampOn = RGB(30, 200, 30);

namespace {

const int kBoardHeight = 96, kLampLeft = 50, kLampStep = 24, kLampSize = 18, kWidth = 540, kHintHeight = 22;

Bench* g_bench;
std::string g_hint = "Click an input lamp with a white rim to toggle that line.";

std::vector<uint32_t> Boards(SimDriver& driver)
{
    std::vector<uint32_t> slots;
    for (uint32_t slot = 0; slot < 16; ++slot) {
        TovelSimBoardInfo b;
        if (driver.TovelSimGetBoardInfo(slot, &b) && b.present)
            slots.push_back(slot);
    }
    return slots;
}

RECT Lamp(int index, int line, int row)
{
    const int x = kLampLeft + line * kLampStep + (line >= 8 ? 10 : 0);
    const int y = index * kBoardHeight + 28 + row * 30;
    return {x, y, x + kLampSize, y + kLampSize};
}

// The level a read of the input line would return now.
bool InputLevel(SimDriver& driver, const TovelSimBoardInfo& b, int line)
{
    const TovelSimInputSource& in = b.input[line / 8];
    uint32_t byte = in.value;
    if (in.wired)
        byte = driver.TovelSimGetOutput(in.sourceSlot, in.sourcePort);
    return (byte >> (line % 8)) & 1;
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

void PaintBoard(HDC dc, int index, uint32_t slot)
{
    SimDriver& driver = *g_bench->driver;
    TovelSimBoardInfo b;
    driver.TovelSimGetBoardInfo(slot, &b);
    char title[96];
    snprintf(title, sizeof title, "slot %u  address 0x%X  switch 0x%X", slot, b.ioAddress, b.switchValue);
    TextOutA(dc, 8, index * kBoardHeight + 6, title, lstrlenA(title));
    if (b.failOut.everyOne) {  // left of the button, where nothing covers it
        SIZE size;
        GetTextExtentPoint32A(dc, "PULLED", 6, &size);
        const COLORREF old = SetTextColor(dc, RGB(200, 0, 0));
        TextOutA(dc, PullButtonRect(index).left - size.cx - 10, index * kBoardHeight + 6, "PULLED", 6);
        SetTextColor(dc, old);
    }
    const RECT button = PullButtonRect(index);
    DrawEdge(dc, const_cast<RECT*>(&button), EDGE_RAISED, BF_RECT);
    const char* label = b.failOut.everyOne ? "Put back" : "Pull board";
    TextOutA(dc, button.left + 8, button.top + 4, label, lstrlenA(label));
    TextOutA(dc, 8, Lamp(index, 0, 0).top + 2, "OUT", 3);
    TextOutA(dc, 8, Lamp(index, 0, 1).top + 2, "IN", 2);
    for (int line = 0; line < 16; ++line) {
        const bool out = (b.output[line / 8] >> (line % 8)) & 1;
        PaintLamp(dc, OutputLampRect(index, line), out ? kOutputLampOn : kLampOff, false);
        PaintLamp(dc, InputLampRect(index, line), InputLevel(driver, b, line) ? kInputLampOn : kLampOff,
                  !b.input[line / 8].wired);
    }
}

void Paint(HWND panel, HDC dc)
{
    RECT all;
    GetClientRect(panel, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    const std::vector<uint32_t> slots = Boards(*g_bench->driver);
    for (size_t i = 0; i < slots.size(); ++i)
        PaintBoard(dc, static_cast<int>(i), slots[i]);
    if (slots.empty())
        TextOutA(dc, 8, 8, "The driver loaded no board.", 27);
    TextOutA(dc, 8, all.bottom - kHintHeight + 4, g_hint.c_str(), static_cast<int>(g_hint.size()));
}

void Click(POINT p)
{
    SimDriver& driver = *g_bench->driver;
    const std::vector<uint32_t> slots = Boards(driver);
    for (size_t i = 0; i < slots.size(); ++i) {
        const int index = static_cast<int>(i);
        RECT button = PullButtonRect(index);
        if (PtInRect(&button, p))
            PullBoard(driver, slots[i], !BoardPulled(driver, slots[i]));
        for (int line = 0; line < 16; ++line) {
            RECT lamp = InputLampRect(index, line);
            TovelSimBoardInfo b;
            if (!PtInRect(&lamp, p) || !driver.TovelSimGetBoardInfo(slots[i], &b))
                continue;
            const TovelSimInputSource& in = b.input[line / 8];
            char name[16];
            snprintf(name, sizeof name, "in%u.%d bit %d", slots[i], line / 8, line % 8);
            if (in.wired) {
                char hint[160];
                snprintf(hint, sizeof hint, "%s is wired to out%u.%u: it shows that output and a click cannot set it.",
                         name, in.sourceSlot, in.sourcePort);
                g_hint = hint;
                continue;
            }
            driver.TovelSimSetInput(slots[i], line / 8, in.value ^ (1u << (line % 8)));
            g_hint = std::string(name) + " toggled.";
        }
    }
}

LiveWindow g_panel = {L"KorvuBenchBoardPanel", L"Board panel", Paint, Click};

}  // namespace

RECT OutputLampRect(int index, int line) { return Lamp(index, line, 0); }
RECT InputLampRect(int index, int line) { return Lamp(index, line, 1); }
RECT PullButtonRect(int index) { return {kWidth - 100, index * kBoardHeight + 2, kWidth - 10, index * kBoardHeight + 24}; }

const std::string& BoardPanelHint() { return g_hint; }

bool BoardPulled(SimDriver& driver, uint32_t slot)
{
    TovelSimBoardInfo b;
    return driver.TovelSimGetBoardInfo(slot, &b) && b.failOut.everyOne;
}

void PullBoard(SimDriver& driver, uint32_t slot, bool pulled)
{
    if (!pulled) {
        driver.TovelSimInjectFault(slot, kTovelSimClearFaults, 0, 0, 0);
        return;
    }
    driver.TovelSimInjectFault(slot, kTovelSimFailOutPort, 0, 1, kPulledBoardError);
    driver.TovelSimInjectFault(slot, kTovelSimFailInPort, 0, 1, kPulledBoardError);
}

HWND OpenBoardPanel(Bench& bench)
{
    g_bench = &bench;
    const int boards = std::max<int>(1, static_cast<int>(Boards(*bench.driver).size()));
    RECT frame = {0, 0, kWidth, std::min(boards, 6) * kBoardHeight + kHintHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const int width = frame.right - frame.left, left = std::max(0, GetSystemMetrics(SM_CXSCREEN) - width - 8);
    return ShowLiveWindow(g_panel, {left, 8, left + width, 8 + frame.bottom - frame.top});
}

void CloseBoardPanel()
{
    DestroyLiveWindow(g_panel);
}

}  // namespace workbench
