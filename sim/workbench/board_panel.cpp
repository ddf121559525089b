#include "sim/workbench/board_panel.h"

#include <stdio.h>

#include <algorithm>

#include <vector>

#include "sim/workbench/board_lamps.h"
#include "sim/workbench/live_window.h"

namespace workbench {

namespace {

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

// The byte a read of the input port would return now.
uint8_t InputByte(SimDriver& driver, const TovelSimInputSource& in)
{
    return static_cast<uint8_t>(in.wired ? driver.TovelSimGetOutput(in.sourceSlot, in.sourcePort) : in.value);
}

void PaintBoard(HDC dc, int index, uint32_t slot)
{
    SimDriver& driver = *g_bench->driver;
    TovelSimBoardInfo b;
    driver.TovelSimGetBoardInfo(slot, &b);
    LampBoard lamps;
    char title[96];
    snprintf(title, sizeof title, "slot %u  address 0x%X  switch 0x%X", slot, b.ioAddress, b.switchValue);
    lamps.title = title;
    for (int port = 0; port < 2; ++port) {
        lamps.output[port] = static_cast<uint8_t>(b.output[port]);
        lamps.input[port] = InputByte(driver, b.input[port]);
        lamps.inputClickable[port] = !b.input[port].wired;
    }
    lamps.badge = b.failOut.everyOne ? "PULLED" : nullptr;
    lamps.button = b.failOut.everyOne ? "Put back" : "Pull board";
    PaintLampBoard(dc, index, lamps);
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
    PaintLampPanelText(dc, panel, g_hint);
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

RECT PullButtonRect(int index) { return LampBoardButtonRect(index); }

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
    return ShowLiveWindow(g_panel, LampPanelFrame(static_cast<int>(Boards(*bench.driver).size())));
}

void CloseBoardPanel()
{
    DestroyLiveWindow(g_panel);
}

}  // namespace workbench
