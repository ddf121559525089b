#include "sim/workbench/live_view.h"

#include <stdio.h>

#include <algorithm>

#include "sim/workbench/live_window.h"

namespace workbench {

namespace {

const int kRow = 20, kLeft = 90, kRight = 10, kHeader = 20;

Bench* g_bench;

// One channel's samples from `from` seconds on.
void Trace(HDC dc, const std::vector<sim::CapturedBlock>& blocks, double from, int width, int y)
{
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 130, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    bool started = false;
    size_t first = blocks.size();  // older blocks are off the chart
    while (first > 0 && blocks[first - 1].startTime + blocks[first - 1].samples.size() * blocks[first - 1].sampleDistance >= from)
        --first;
    for (size_t k = first; k < blocks.size(); ++k) {
        const sim::CapturedBlock& b = blocks[k];
        for (size_t i = 0; i < b.samples.size(); ++i) {
            const double t = b.startTime + i * b.sampleDistance;
            if (t < from)
                continue;
            const int x0 = kLeft + static_cast<int>((t - from) / kLiveSeconds * width);
            const int x1 = kLeft + static_cast<int>((t + b.sampleDistance - from) / kLiveSeconds * width);
            const int level = y + (b.samples[i] != 0.0f ? 3 : kRow - 5);
            if (!started)
                MoveToEx(dc, x0, level, nullptr);
            started = true;
            LineTo(dc, x0, level);
            LineTo(dc, std::min(x1, kLeft + width), level);
        }
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

double LatestTime(const std::vector<sim::CapturedBlock>& blocks)
{
    if (blocks.empty())
        return 0;
    const sim::CapturedBlock& b = blocks.back();
    return b.startTime + b.samples.size() * b.sampleDistance;
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
        if (m->kind != Kind::kIn)
            continue;
        const double end = LatestTime(sim::CapturedBlocks(m->module.record->pOutputChannel[0]));
        char title[96];
        snprintf(title, sizeof title, "\"%.13s\", slot %u port %u: the last %.0f s up to %.1f s", m->module.record->szModuleName,
                 Slot(*m), Port(*m), kLiveSeconds, end);
        TextOutA(dc, 4, y, title, lstrlenA(title));
        y += kHeader;
        for (uint32_t c = 0; c < Channels(*m); ++c, y += kRow) {
            char label[16];
            snprintf(label, sizeof label, "bit %u", c);
            TextOutA(dc, 4, y + 2, label, lstrlenA(label));
            Trace(dc, sim::CapturedBlocks(m->module.record->pOutputChannel[c]), end - kLiveSeconds, width, y);
        }
        y += 6;
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
