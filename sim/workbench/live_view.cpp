#include "sim/workbench/live_view.h"

#include <stdio.h>

#include <math.h>

#include <algorithm>

#include "sim/workbench/live_window.h"

namespace workbench {

namespace {

const int kRow = 20, kLeft = 90, kRight = 10, kHeader = 20, kAxis = 22;

Bench* g_bench;

// One channel's levels from `from` seconds on, inside the chart.
void Trace(HDC dc, const LiveChannel& channel, double from, int width, int y)
{
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 130, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    auto x = [&](double t) { return kLeft + static_cast<int>((std::max(t, from) - from) / kLiveSeconds * width); };
    bool started = false;
    for (const LiveBlock& b : channel.blocks) {
        for (size_t i = 0; i < b.levels.size(); ++i) {
            const double t = b.start + i * b.distance;
            if (t + b.distance < from)
                continue;
            const int level = y + (b.levels[i] ? 3 : kRow - 5);
            if (!started)
                MoveToEx(dc, x(t), level, nullptr);
            started = true;
            LineTo(dc, x(t), level);
            LineTo(dc, x(t + b.distance), level);
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Seconds of the run under the charts, a tick at each whole second.
void TimeAxis(HDC dc, double from, int width, int y)
{
    MoveToEx(dc, kLeft, y, nullptr);
    LineTo(dc, kLeft + width, y);
    for (double t = ceil(from); t <= from + kLiveSeconds; t += 1) {
        const int x = kLeft + static_cast<int>((t - from) / kLiveSeconds * width);
        MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x, y + 4);
        char label[24];
        snprintf(label, sizeof label, "%.0f s", t);
        SIZE size;
        GetTextExtentPoint32A(dc, label, lstrlenA(label), &size);
        TextOutA(dc, std::min(x - size.cx / 2, kLeft + width - size.cx), y + 5, label, lstrlenA(label));
    }
}

void Paint(HWND live, HDC dc)
{
    RECT all;
    GetClientRect(live, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    const int width = all.right - kLeft - kRight;
    int y = 4;
    for (const auto& m : g_bench->modules) {
        if (IsFed(*m))
            continue;
        double end = 0;
        for (uint32_t c = 0; c < Channels(*m); ++c)
            end = std::max(end, g_bench->live[m->module.record->pOutputChannel[c]].End());
        const double from = std::max(0.0, end - kLiveSeconds);
        char title[128];
        snprintf(title, sizeof title, "\"%.13s\", slot %u port %u: the run's last %.0f s%s",
                 m->module.record->szModuleName, Slot(*m), Port(*m), kLiveSeconds,
                 g_bench->running ? "" : " (no run now)");
        TextOutA(dc, 4, y, title, lstrlenA(title));
        y += kHeader;
        for (uint32_t c = 0; c < Channels(*m); ++c, y += kRow) {
            char label[16];
            snprintf(label, sizeof label, "bit %u", c);
            TextOutA(dc, 4, y + 2, label, lstrlenA(label));
            Trace(dc, g_bench->live[m->module.record->pOutputChannel[c]], from, width, y);
        }
        TimeAxis(dc, from, width, y + 2);
        y += kAxis + 6;
    }
    if (y == 4)
        TextOutA(dc, 4, 4, "No Tovel IN module is placed.", 29);
}

LiveWindow g_live = {L"KorvuBenchLiveView", L"Tovel IN live view", Paint, nullptr};

}  // namespace

HWND OpenLiveView(Bench& bench)
{
    g_bench = &bench;
    const int height = 240, top = std::max(0, GetSystemMetrics(SM_CYSCREEN) - height - 8);
    return ShowLiveWindow(g_live, {8, top, 808, top + height});
}

void CloseLiveView()
{
    DestroyLiveWindow(g_live);
}

}  // namespace workbench
