#include "sim/program/timing_diagram.h"

#include <windows.h>

#include <math.h>
#include <stdio.h>

#include <algorithm>

#include "sim/common/utf8.h"
#include "sim/pictures/png_writer.h"

namespace {

const int kWidth = 1000, kRowHeight = 22, kTop = 52, kLeft = 70, kRight = 20, kAxis = 40;
const COLORREF kWrittenColour = RGB(200, 0, 0), kReadColour = RGB(0, 130, 0);
const COLORREF kDifferColour = RGB(255, 200, 60), kFailedColour = RGB(120, 0, 160);
const int kLeastTickPixels = 90;   // between two labels of the time axis
const int kLeastGridPixels = 4;    // between two block boundaries drawn
const int kLeastEdgePixels = 3;    // between two edges told apart

// The samples in view and where they are drawn.
struct Window {
    long long first = 0, count = 0;
    double dx = 1;
    int X(double sample) const { return kLeft + static_cast<int>((sample - first) * dx); }
};

struct Canvas {
    HDC dc = nullptr;
    int height = 0;
    // Texts in UTF-8: a refusal quotes the plug-in's Japanese.
    void Text(int x, int y, const std::string& s) const
    {
        const std::wstring wide = Widen(s);
        TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    }
    int TextWidth(const std::string& s) const
    {
        const std::wstring wide = Widen(s);
        SIZE size = {};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
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

// The time axis: a tick every 1, 2 or 5 times a power of ten of its unit,
// no closer than kLeastTickPixels, labelled in seconds once the times
// reach ten seconds.
struct Axis {
    double stepMs = 1;
    double unitMs = 1;       // 1 or 1000
    int decimals = 0;
    const char* unit = "ms";
};

Axis ChooseAxis(double firstMs, double spanMs, double pixels)
{
    Axis a;
    if (firstMs + spanMs >= 10000) {
        a.unitMs = 1000;
        a.unit = "s";
    }
    const double least = std::max(spanMs * kLeastTickPixels / pixels, 1e-9) / a.unitMs;
    const double power = pow(10, floor(log10(least)));
    double step = 10 * power;
    for (const double m : {5.0, 2.0, 1.0}) {
        if (m * power >= least)
            step = m * power;
    }
    a.stepMs = step * a.unitMs;
    a.decimals = std::max(0, static_cast<int>(-floor(log10(step) + 1e-9)));
    return a;
}

// Block boundaries as a grid where they stand apart, the time axis under it
// with its ticks, every label inside the picture.
void DrawGridAndAxis(const Canvas& c, const Window& w, const TimingDiagram& d)
{
    const int axisY = c.height - kAxis + 4;
    if (d.blockSize * w.dx >= kLeastGridPixels) {
        for (long long s = w.first; s <= w.first + w.count; s += d.blockSize) {
            const int x = w.X(static_cast<double>(s));
            c.Line(x, kTop, x, axisY, RGB(220, 220, 220), 1);
        }
    }
    const double firstMs = w.first * d.msPerSample, lastMs = (w.first + w.count) * d.msPerSample;
    const Axis a = ChooseAxis(firstMs, lastMs - firstMs, kWidth - kLeft - kRight);
    for (double tick = ceil(firstMs / a.stepMs - 1e-9); tick * a.stepMs <= lastMs * (1 + 1e-12); ++tick) {
        const int x = w.X(tick * a.stepMs / d.msPerSample);
        c.Line(x, axisY, x, axisY + 5, RGB(0, 0, 0), 1);
        char label[48];
        snprintf(label, sizeof label, "%.*f", a.decimals, tick * a.stepMs / a.unitMs + 0.0);  // never "-0"
        const int width = c.TextWidth(label);
        c.Text(std::min(x - width / 2, kWidth - 2 - width), axisY + 6, label);
    }
    c.Line(kLeft, axisY, kWidth - kRight, axisY, RGB(0, 0, 0), 1);
    c.Text(kWidth - kRight - 150, axisY + 20, std::string("experiment time (") + a.unit + ")");
}

// Runs of one level, each drawn as one line, with an edge where it changes;
// `level` gives 0, 1, or -1 for a sample that is not drawn. True when two
// edges came closer than the eye can tell apart.
template <typename Level>
bool DrawLevels(const Canvas& c, const Window& w, int y, COLORREF colour, Level level)
{
    int previous = -1;
    int lastEdge = -kLeastEdgePixels;
    bool crowded = false;
    for (long long j = w.first; j < w.first + w.count;) {
        const int now = level(j);
        long long end = j + 1;
        while (end < w.first + w.count && level(end) == now)
            ++end;
        if (now >= 0) {
            if (previous >= 0) {
                const int x = w.X(static_cast<double>(j));
                crowded = crowded || x - lastEdge < kLeastEdgePixels;
                lastEdge = x;
                c.Line(x, y + 3, x, y + 16, colour, 2);
            }
            const int at = y + (now ? 3 : 16);
            c.Line(w.X(static_cast<double>(j)), at, w.X(static_cast<double>(end)), at, colour, 2);
        }
        previous = now;
        j = end;
    }
    return crowded;
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
bool DrawOutRow(const Canvas& c, const Window& w, const TimingDiagram& d, int channel, int y)
{
    for (const FailedWrite& f : d.failed) {
        if (f.channel == channel)
            c.Box(w.X(static_cast<double>(f.sample)), y, w.X(f.sample + 1.0), y + kRowHeight - 2, kFailedColour);
    }
    return DrawLevels(c, w, y, kWrittenColour,
                      [&](long long j) { return j >= d.fed ? -1 : d.written(channel, j) ? 1 : 0; });
}

// What came back; a sample that differs from what was fed on a yellow band,
// a sample that never came back left blank.
bool DrawInRow(const Canvas& c, const Window& w, const TimingDiagram& d, int channel, int y)
{
    const std::vector<uint8_t>& back = (*d.readBack)[channel];
    DrawBands(c, w, y, kDifferColour, [&](long long j) {
        const uint8_t b = back[j - w.first];
        return b != kNotBack && (b == kBackHigh) != d.written(channel, j);
    });
    return DrawLevels(c, w, y, kReadColour, [&](long long j) {
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

    c.Text(8, 4, d.title);
    char legend[200];
    snprintf(legend, sizeof legend, "red: written, green: read back; yellow: differs; purple: failed write; "
             "blocks %lld to %lld of %d samples", w.first / d.blockSize, (w.first + w.count - 1) / d.blockSize,
             d.blockSize);
    c.Text(8, 20, legend);
    DrawGridAndAxis(c, w, d);
    bool crowded = false;
    for (int row = 0; row < 2 * d.channels; ++row) {
        const bool output = row < d.channels;
        const int ch = row % d.channels;
        const int y = kTop + row * kRowHeight + (output ? 0 : 10);
        char label[16];
        snprintf(label, sizeof label, "%s %d", output ? "OUT" : "IN", ch);
        c.Text(8, y + 2, label);
        crowded = (output ? DrawOutRow(c, w, d, ch, y) : DrawInRow(c, w, d, ch, y)) || crowded;
    }
    if (crowded)  // left of the axis's title
        c.Text(kLeft, c.height - kAxis + 24, "edges too dense to draw one by one: fewer --diagram-blocks");
    if (!d.nothingBack.empty()) {
        const int y = kTop + d.channels * kRowHeight + 10 + (d.channels * kRowHeight) / 2 - 8;
        c.Box(kLeft + 4, y - 2, kLeft + 14 + c.TextWidth(d.nothingBack), y + 16, RGB(255, 255, 255));
        c.Text(kLeft + 9, y, d.nothingBack);
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
