#include "sim/program/timing_diagram.h"

#include <windows.h>

#include <stdio.h>

#include <algorithm>

#include "sim/pictures/png_writer.h"

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
    int TextWidth(const char* s) const
    {
        SIZE size = {};
        GetTextExtentPoint32A(dc, s, lstrlenA(s), &size);
        return size.cx;
    }
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
// enough to read and no closer than 90 pixels; every label inside the picture.
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
        const std::string label = Milliseconds(s * d.msPerSample);
        const int width = c.TextWidth(label.c_str());
        c.Text(std::min(x - width / 2, kWidth - 2 - width), axisY + 6, label.c_str());
    }
    c.Line(kLeft, axisY, kWidth - kRight, axisY, RGB(0, 0, 0), 1);
    c.Text(kWidth - kRight - 150, axisY + 20, "experiment time (ms)");
}

// Runs of one level, each drawn as one line, with an edge where it changes;
// `level` gives 0, 1, or -1 for a sample that is not drawn.
template <typename Level>
void DrawLevels(const Canvas& c, const Window& w, int y, COLORREF colour, Level level)
{
    int previous = -1;
    for (long long j = w.first; j < w.first + w.count;) {
        const int now = level(j);
        long long end = j + 1;
        while (end < w.first + w.count && level(end) == now)
            ++end;
        if (now >= 0) {
            if (previous >= 0)
                c.Line(w.X(static_cast<double>(j)), y + 3, w.X(static_cast<double>(j)), y + 16, colour, 2);
            const int at = y + (now ? 3 : 16);
            c.Line(w.X(static_cast<double>(j)), at, w.X(static_cast<double>(end)), at, colour, 2);
        }
        previous = now;
        j = end;
    }
}

// Bands under the samples for which `marked` holds, runs of them as one box.
template <typename Marked>
void DrawBands(const Canvas& c, const Window& w, int y, COLORREF colour, Marked marked)
{
    for (long long j = w.first; j < w.first + w.count; ++j) {
        if (!marked(j))
            continue;
        long long end = j + 1;
        while (end < w.first + w.count && marked(end))
            ++end;
        c.Box(w.X(static_cast<double>(j)), y, w.X(static_cast<double>(end)), y + kRowHeight - 2, colour);
        j = end;
    }
}

// What was fed; a failed write's sample on a purple band.
void DrawOutRow(const Canvas& c, const Window& w, const TimingDiagram& d, int channel, int y)
{
    for (const FailedWrite& f : d.failed) {
        if (f.channel == channel)
            c.Box(w.X(static_cast<double>(f.sample)), y, w.X(f.sample + 1.0), y + kRowHeight - 2, kFailedColour);
    }
    DrawLevels(c, w, y, kWrittenColour, [&](long long j) { return j >= d.fed ? -1 : d.written(channel, j) ? 1 : 0; });
}

// What came back; a sample that differs from what was fed on a yellow band,
// a sample that never came back left blank.
void DrawInRow(const Canvas& c, const Window& w, const TimingDiagram& d, int channel, int y)
{
    const std::vector<uint8_t>& back = (*d.readBack)[channel];
    DrawBands(c, w, y, kDifferColour, [&](long long j) {
        const uint8_t b = back[j - w.first];
        return b != kNotBack && (b == kBackHigh) != d.written(channel, j);
    });
    DrawLevels(c, w, y, kReadColour, [&](long long j) {
        const uint8_t b = back[j - w.first];
        return b == kNotBack ? -1 : b == kBackHigh ? 1 : 0;
    });
}

void DrawFailedWrites(const Canvas& c, const Window& w, const TimingDiagram& d, int rows)
{
    for (const FailedWrite& f : d.failed) {
        const int x = w.X(f.ms / d.msPerSample);
        c.Line(x, kTop - 4, x, kTop + rows * kRowHeight, kFailedColour, 1);
        c.Text(x - 3, kTop - 18, "x");
    }
}

}  // namespace

bool WriteTimingDiagram(const std::string& path, const TimingDiagram& d)
{
    Window w;
    w.first = d.firstSample;
    w.count = d.samples;
    if (w.count <= 0 || d.channels == 0)
        return true;  // nothing to draw
    w.dx = static_cast<double>(kWidth - kLeft - kRight) / w.count;

    Canvas c;
    c.height = kTop + 2 * d.channels * kRowHeight + 10 + kAxis;
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
    snprintf(legend, sizeof legend, "red: written, green: read back; yellow: differs; purple: failed write; "
             "blocks %lld to %lld of %d samples", w.first / d.blockSize, (w.first + w.count - 1) / d.blockSize,
             d.blockSize);
    c.Text(8, 20, legend);
    DrawGridAndAxis(c, w, d);
    for (int row = 0; row < 2 * d.channels; ++row) {
        const bool output = row < d.channels;
        const int ch = row % d.channels;
        const int y = kTop + row * kRowHeight + (output ? 0 : 10);
        char label[16];
        snprintf(label, sizeof label, "%s %d", output ? "OUT" : "IN", ch);
        c.Text(8, y + 2, label);
        if (output)
            DrawOutRow(c, w, d, ch, y);
        else
            DrawInRow(c, w, d, ch, y);
    }
    if (!d.nothingBack.empty()) {
        const int y = kTop + d.channels * kRowHeight + 10 + (d.channels * kRowHeight) / 2 - 8;
        c.Box(kLeft + 4, y - 2, kLeft + 14 + c.TextWidth(d.nothingBack.c_str()), y + 16, RGB(255, 255, 255));
        c.Text(kLeft + 9, y, d.nothingBack.c_str());
    }
    DrawFailedWrites(c, w, d, 2 * d.channels);
    GdiFlush();
    const bool written = WritePng(path, kWidth, c.height, bits);

    SelectObject(c.dc, oldFont);
    SelectObject(c.dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(dib);
    DeleteDC(c.dc);
    return written;
}
