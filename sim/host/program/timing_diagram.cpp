#include "sim/host/program/timing_diagram.h"

#include <windows.h>

#include <stdio.h>

#include <algorithm>

#include "sim/harness/png_writer.h"

namespace {

const int kWidth = 1000, kRowHeight = 22, kTop = 52, kLeft = 70, kRight = 20, kAxis = 40;
const COLORREF kWrittenColour = RGB(200, 0, 0), kReadColour = RGB(0, 130, 0);
const COLORREF kDifferColour = RGB(255, 200, 60), kFailedColour = RGB(120, 0, 160);

// The samples in view and where they are drawn.
struct Window {
    long long first = 0, count = 0;
    double dx = 1;
    int X(double sample) const { return kLeft + static_cast<int>((sample - first) * dx); }
};

struct Canvas {
    HDC dc = nullptr;
    int height = 0;
    void Text(int x, int y, const char* s) const { TextOutA(dc, x, y, s, lstrlenA(s)); }
    void Line(int x0, int y0, int x1, int y1, COLORREF colour, int width) const
    {
        HPEN pen = CreatePen(PS_SOLID, width, colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    void Box(int x0, int y0, int x1, int y1, COLORREF colour) const
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT r = {x0, y0, std::max(x1, x0 + 1), y1};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
};

std::string Milliseconds(double ms)
{
    char text[32];
    snprintf(text, sizeof text, ms == static_cast<long long>(ms) ? "%.0f" : "%.1f", ms);
    return text;
}

// Block boundaries as a grid, and the time axis under it, labelled often
// enough to read and no closer than 90 pixels.
void DrawGridAndAxis(const Canvas& c, const Window& w, const TimingDiagram& d)
{
    const int axisY = c.height - kAxis + 4;
    const double blockPixels = d.blockSize * w.dx;
    const int labelEvery = std::max(1, static_cast<int>(90 / std::max(blockPixels, 1e-9)) + 1);
    for (long long s = w.first, b = 0; s <= w.first + w.count; s += d.blockSize, ++b) {
        const int x = w.X(static_cast<double>(s));
        c.Line(x, kTop, x, axisY, RGB(220, 220, 220), 1);
        if (b % labelEvery != 0)
            continue;
        c.Line(x, axisY, x, axisY + 5, RGB(0, 0, 0), 1);
        c.Text(x - 10, axisY + 6, Milliseconds(s * d.msPerSample).c_str());
    }
    c.Line(kLeft, axisY, kWidth - kRight, axisY, RGB(0, 0, 0), 1);
    c.Text(kWidth - kRight - 150, axisY + 20, "experiment time (ms)");
}

// A row's levels; on an input row, the samples that differ from what was
// written sit on a band.
void DrawRow(const Canvas& c, const Window& w, const std::vector<bool>& levels, const std::vector<bool>* expected,
             int y, COLORREF colour)
{
    for (long long j = w.first; j < w.first + w.count && j < static_cast<long long>(levels.size()); ++j) {
        if (expected && (j >= static_cast<long long>(expected->size()) || (*expected)[j] != levels[j]))
            c.Box(w.X(static_cast<double>(j)), y, w.X(j + 1.0), y + kRowHeight - 2, kDifferColour);
    }
    for (long long j = w.first; j < w.first + w.count && j < static_cast<long long>(levels.size()); ++j) {
        const int level = y + (levels[j] ? 3 : 16);
        const bool edge = j > w.first && levels[j - 1] != levels[j];
        if (edge)
            c.Line(w.X(static_cast<double>(j)), y + 3, w.X(static_cast<double>(j)), y + 16, colour, 2);
        c.Line(w.X(static_cast<double>(j)), level, w.X(j + 1.0), level, colour, 2);
    }
}

void DrawFailedWrites(const Canvas& c, const Window& w, const TimingDiagram& d, int rows)
{
    for (uint64_t ms : d.failedWrites) {
        const double sample = ms / d.msPerSample;
        if (sample < w.first || sample > w.first + w.count)
            continue;
        const int x = w.X(sample);
        c.Line(x, kTop - 4, x, kTop + rows * kRowHeight, kFailedColour, 1);
        c.Text(x - 3, kTop - 18, "x");
    }
}

}  // namespace

bool WriteTimingDiagram(const std::string& path, const TimingDiagram& d)
{
    const std::vector<std::vector<bool>>& out = *d.written;
    const int channels = static_cast<int>(out.size());
    Window w;
    w.first = static_cast<long long>(d.firstBlock) * d.blockSize;
    const long long available = out.empty() ? 0 : static_cast<long long>(out[0].size()) - w.first;
    w.count = std::min<long long>(static_cast<long long>(d.blocks) * d.blockSize, available);
    if (w.count <= 0 || channels == 0)
        return true;  // nothing to draw
    w.dx = static_cast<double>(kWidth - kLeft - kRight) / w.count;

    Canvas c;
    c.height = kTop + 2 * channels * kRowHeight + 10 + kAxis;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, kWidth, -c.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    c.dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(c.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(c.dc, dib);
    RECT all = {0, 0, kWidth, c.height};
    FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(c.dc, TRANSPARENT);
    HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    HGDIOBJ oldFont = SelectObject(c.dc, font);

    c.Text(8, 4, d.title.c_str());
    char legend[200];
    snprintf(legend, sizeof legend, "red: written, green: read back; yellow: differs; purple x: failed write; "
             "blocks %d to %lld of %d samples", d.firstBlock, d.firstBlock + (w.count - 1) / d.blockSize, d.blockSize);
    c.Text(8, 20, legend);
    DrawGridAndAxis(c, w, d);
    for (int row = 0; row < 2 * channels; ++row) {
        const bool output = row < channels;
        const int ch = row % channels;
        const int y = kTop + row * kRowHeight + (output ? 0 : 10);
        char label[16];
        snprintf(label, sizeof label, "%s %d", output ? "OUT" : "IN", ch);
        c.Text(8, y + 2, label);
        DrawRow(c, w, output ? out[ch] : (*d.readBack)[ch], output ? nullptr : &out[ch], y,
                output ? kWrittenColour : kReadColour);
    }
    DrawFailedWrites(c, w, d, 2 * channels);
    GdiFlush();
    const bool written = WritePng(path, kWidth, c.height, bits);

    SelectObject(c.dc, oldFont);
    SelectObject(c.dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(dib);
    DeleteDC(c.dc);
    return written;
}
