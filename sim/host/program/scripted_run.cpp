#include "sim/host/program/scripted_run.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "resources/resource_ids.h"
#include "sim/host/dialog_script.h"
#include "sim/host/double_reference.h"
#include "sim/host/png_writer.h"
#include "sim/host/screenshot.h"
#include "sim/host/test_clock.h"

namespace {

const int kChannels = 8;
const uint32_t kStartTicks = 1000000;

// The report goes to the console and to report.txt.
struct Report {
    FILE* file = nullptr;
    void operator()(const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        vprintf(format, args);
        va_end(args);
        if (file) {
            va_start(args, format);
            vfprintf(file, format, args);
            va_end(args);
        }
    }
};

// Channel c toggles every c + 1 blocks, so the eight bits walk through many
// patterns and a whole block always carries one level.
bool OutputLevel(int channel, int block)
{
    return (block / (channel + 1)) % 2 == 1;
}

std::string Narrow(const std::wstring& wide)
{
    char utf8[512];
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
    return n > 0 ? std::string(utf8, n - 1) : std::string();
}

struct Placed {
    sim::Module module = {};
    bool ok = false;
    std::string board;
    std::string port;
};

// Code 101, with the hardware selection dialog choosing slot 0 and the first port.
Placed Place(HostSession& session, const char* className, const HostOptions& options, const char* picture)
{
    Placed placed;
    const ModuleClassDescriptor* cls = session.Class(className);
    if (!cls)
        return placed;
    placed.module = sim::CreateModule(*cls, sim::HostWindow());
    DialogScript select;
    select.Then([&](HWND d) {
        SaveScreenshotTo(d, options.outDir + "\\" + picture);
        std::vector<std::wstring> rows = ListRows(d, IDC_BOARD_LIST);
        auto row = std::find(rows.begin(), rows.end(), L"Tovel - 0");
        if (row == rows.end()) {
            Click(d, IDCANCEL);
            return;
        }
        ClickListRow(d, IDC_BOARD_LIST, static_cast<int>(row - rows.begin()));
        SelectComboRow(d, IDC_PORT_LIST, 0);
        placed.board = Narrow(ListRows(d, IDC_BOARD_LIST)[ListSelection(d, IDC_BOARD_LIST)]);
        placed.port = Narrow(ComboRows(d, IDC_PORT_LIST)[0]);
        Click(d, IDOK);
    });
    ArmedScripts armed({&select});
    placed.ok = placed.module.handler(placed.module.record, 101, 0, nullptr) == 1;
    return placed;
}

// Code 103, with the settings dialog taking all eight channels and naming them.
bool Configure(sim::Module& m, const wchar_t* name, const wchar_t* description, const wchar_t* channelPrefix,
               const HostOptions& options, const char* picture)
{
    sim::SetCurrentModulePtr(m.record);
    DialogScript settings;
    settings.Then([&](HWND d) {
        Type(d, IDC_MODULE_NAME, name);
        Type(d, IDC_DESCRIPTION, description);
        for (int i = 1; i < kChannels; ++i) {
            HWND more = GetDlgItem(d, IDC_MORE);
            SendMessageA(more, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageA(more, WM_LBUTTONUP, 0, 0);
        }
        for (int c = kChannels - 1; c >= 0; --c) {
            HWND button = GetDlgItem(d, IDC_CHANNEL_0 + c);
            SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageA(button, WM_LBUTTONUP, 0, 0);
            Type(d, IDC_CHANNEL_NAME, channelPrefix + std::to_wstring(c));
        }
        SaveScreenshotTo(d, options.outDir + "\\" + picture);
        Click(d, IDOK);
    });
    ArmedScripts armed({&settings});
    m.handler(m.record, 103, 0, nullptr);
    return settings.Completed();
}

// The timing diagram of the first blocks: eight output channels over the
// eight input channels that read them back, drawn with GDI into a PNG.
bool WriteTimingDiagram(const std::string& path, const std::vector<std::vector<bool>>& out,
                        const std::vector<std::vector<bool>>& in, int blocks, int blockSize)
{
    const int width = 1000, rowHeight = 22, top = 34, left = 70, right = 20;
    const int height = top + 2 * kChannels * rowHeight + 30;
    const int samples = std::min<int>(blocks * blockSize, static_cast<int>(out[0].size()));
    if (samples <= 0)
        return true;  // nothing to draw
    const double dx = static_cast<double>(width - left - right) / samples;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, dib);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier New");
    HGDIOBJ oldFont = SelectObject(dc, font);
    char title[160];
    snprintf(title, sizeof title, "Tovel OUT port 0 (red, written) over Tovel IN port 0 (green, read back): "
             "%d samples, grid = %d-sample blocks", samples, blockSize);
    TextOutA(dc, 8, 8, title, lstrlenA(title));

    HPEN grid = CreatePen(PS_SOLID, 1, RGB(220, 220, 220));
    HGDIOBJ oldPen = SelectObject(dc, grid);
    for (int b = 0; b * blockSize <= samples; ++b) {
        int x = left + static_cast<int>(b * blockSize * dx);
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, height - 24);
    }
    HPEN pens[2] = {CreatePen(PS_SOLID, 2, RGB(200, 0, 0)), CreatePen(PS_SOLID, 2, RGB(0, 130, 0))};
    for (int row = 0; row < 2 * kChannels; ++row) {
        bool output = row < kChannels;
        int c = row % kChannels;
        const std::vector<bool>& levels = output ? out[c] : in[c];
        int y = top + row * rowHeight + (output ? 0 : 10);
        char label[16];
        snprintf(label, sizeof label, "%s %d", output ? "OUT" : "IN", c);
        TextOutA(dc, 8, y + 2, label, lstrlenA(label));
        SelectObject(dc, pens[output ? 0 : 1]);
        for (int j = 0; j < samples && j < static_cast<int>(levels.size()); ++j) {
            int level = y + (levels[j] ? 3 : 16);
            int x0 = left + static_cast<int>(j * dx), x1 = left + static_cast<int>((j + 1) * dx);
            if (j == 0)
                MoveToEx(dc, x0, level, nullptr);
            LineTo(dc, x0, level);
            LineTo(dc, x1, level);
        }
    }
    GdiFlush();
    const bool written = WritePng(path, width, height, bits);

    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(grid);
    DeleteObject(pens[0]);
    DeleteObject(pens[1]);
    DeleteObject(font);
    DeleteObject(dib);
    DeleteDC(dc);
    return written;
}

// Every file a run writes: a run removes them first, so that nothing of an
// earlier run is left beside a failed one, and touches nothing else.
const char* const kRunFiles[] = {"report.txt", "timing.png", "transfers.csv", "hardware_selection_out.png",
                                 "hardware_selection_in.png", "settings_out.png", "settings_in.png"};

void RemoveEarlierRun(const std::string& folder)
{
    for (const char* name : kRunFiles)
        DeleteFileA((folder + "\\" + name).c_str());
}

}  // namespace

int RunScriptedExperiment(HostSession& session, const HostOptions& options)
{
    RemoveEarlierRun(options.outDir);
    Report report;
    report.file = fopen((options.outDir + "\\report.txt").c_str(), "w");
    if (!report.file) {
        printf("korvu_host: cannot write %s\\report.txt\n", options.outDirShown.c_str());
        return 1;
    }
    bool good = true;

    report("SetupKorvuDLL returned %d (%u names asked, %u variables announced)\n", session.setupResult,
           static_cast<unsigned>(sim::Lookups().size()), static_cast<unsigned>(sim::Announcements().size()));
    if (session.setupResult != 1) {
        if (report.file)
            fclose(report.file);
        return 1;
    }

    Placed out = Place(session, "Tovel OUT", options, "hardware_selection_out.png");
    Placed in = Place(session, "Tovel IN", options, "hardware_selection_in.png");
    if (!out.ok || !in.ok) {
        report("could not place the modules: no board at slot 0 with free ports 0?\n");
        if (report.file)
            fclose(report.file);
        return 1;
    }
    Configure(out.module, L"Pattern", L"8 square waves", L"wave ", options, "settings_out.png");
    Configure(in.module, L"Readback", L"port 0 read back", L"bit ", options, "settings_in.png");
    report("\nModules\n");
    report("  %-9s \"%s\" on %s, %s, %u channels\n", "Tovel OUT", out.module.record->szModuleName, out.board.c_str(),
           out.port.c_str(), out.module.record->uiNumberOfInputs);
    report("  %-9s \"%s\" on %s, %s, %u channels\n", "Tovel IN", in.module.record->szModuleName, in.board.c_str(),
           in.port.c_str(), in.module.record->uiNumberOfOutputs);

    // The run, on the host's own clock: both process functions called as a
    // 1 kHz host calls them, but only at the ticks where something can
    // happen (a block to feed, a block due, the tick after a release, when
    // the input module fills its next one): between those a call changes
    // nothing, so the clock jumps, and a run costs no more for a long
    // sample distance.
    const int n = options.blockSize;
    const double ms = options.msPerSample;
    sim::SetBlockSize(n);
    sim::SetMilliSecondsPerSample(ms);
    sim::SetExperimentStartTicks(kStartTicks);
    sim::SetExperimentPaused(false);
    sim::SetRecordCalls(false);
    sim::TestClock clock(session.plugin.dll, kStartTicks);
    int32_t preparedOut = out.module.handler(out.module.record, 106, 0, nullptr);
    int32_t preparedIn = in.module.handler(in.module.record, 106, 0, nullptr);
    report("\nRun: %d blocks of %d samples, %.1f ms per sample; run preparation OUT %d, IN %d\n", options.blocks, n,
           ms, preparedOut, preparedIn);
    std::vector<std::vector<bool>> written(kChannels), readBack(kChannels);
    std::vector<uint32_t> lateness;
    uint64_t released = 0;
    if (preparedOut == 1 && preparedIn == 1) {
        sim::SetExperimentRunning(true);
        const uint64_t blockTicks = static_cast<uint64_t>(ceil(n * ms));
        const uint64_t lastTick = (options.blocks + 1) * blockTicks + 1;
        int queued = 0;
        OutputChannel* first = in.module.record->pOutputChannel[0];
        const ChannelRecord* firstRecord = in.module.record->pChannelRecord[0];
        auto feedTick = [&](int k) { return static_cast<uint64_t>(trunc(static_cast<double>(k) * n * ms)); };
        for (uint64_t t = 0; t <= lastTick;) {
            clock.Set(kStartTicks + static_cast<uint32_t>(t));
            if (queued < options.blocks && t >= feedTick(queued)) {
                for (int c = 0; c < kChannels; ++c) {
                    bool level = OutputLevel(c, queued);
                    sim::QueueInputBlock(out.module.record, c, std::vector<float>(n, level ? 5.0f : 0.0f));
                    written[c].insert(written[c].end(), n, level);
                }
                ++queued;
            }
            out.module.process(out.module.record);
            in.module.process(in.module.record);
            uint64_t now = sim::ReleasedOutputBlocks(first);
            if (now != released) {
                released = now;
                uint32_t due = kStartTicks + ReferenceDueOffset(static_cast<uint32_t>(released * n), ms);
                lateness.push_back(clock.Now() - due);
            }
            if (sim::StopCount() > 0)
                break;  // the plug-in stopped the experiment
            if (released >= static_cast<uint64_t>(options.blocks))
                break;
            uint64_t next = t + 1;  // without a pending block, the input module fills one then
            if (firstRecord->bBlockPending == 1) {
                next = static_cast<uint64_t>(ReferenceProduct(firstRecord->ulSampleCount, ms));
                if (queued < options.blocks)
                    next = std::min(next, feedTick(queued));
            }
            t = std::max(t + 1, next);
        }
    }
    sim::SetExperimentRunning(false);

    // What came back, channel by channel.
    long differing = 0, compared = 0;
    report("\nBlocks and samples per channel\n");
    for (int c = 0; c < kChannels; ++c) {
        const std::vector<sim::CapturedBlock>& blocks = sim::CapturedBlocks(in.module.record->pOutputChannel[c]);
        for (const sim::CapturedBlock& b : blocks) {
            for (float s : b.samples)
                readBack[c].push_back(s == 5.0f);
        }
        size_t common = std::min(readBack[c].size(), written[c].size());
        for (size_t j = 0; j < common; ++j)
            differing += readBack[c][j] != written[c][j];
        compared += static_cast<long>(common);
        report("  channel %d: OUT took %llu blocks (%zu samples), IN handed on %zu blocks (%zu samples)\n", c,
               static_cast<unsigned long long>(sim::ReleasedInputBlocks(out.module.record, c)), written[c].size(),
               blocks.size(), readBack[c].size());
    }
    report("Bits that differ between what went out and what came back: %ld of %ld\n", differing, compared);
    if (!lateness.empty()) {
        std::vector<uint32_t> sorted = lateness;
        std::sort(sorted.begin(), sorted.end());
        double mean = 0;
        for (uint32_t l : lateness)
            mean += l;
        report("Release lateness of the input blocks: max %u ms, mean %.2f ms (host calling every millisecond)\n",
               sorted.back(), mean / lateness.size());
    }
    report("Port transfers: %u writes, %u reads\n", session.driver.TovelSimCalls("TovelOutPort"),
           session.driver.TovelSimCalls("TovelInPort"));

    for (sim::Module* m : {&out.module, &in.module}) {
        m->handler(m->record, 107, 0, nullptr);
        m->handler(m->record, 102, 0, nullptr);
    }
    report("\nWarnings shown: %u\n", static_cast<unsigned>(sim::Warnings().size()));
    // Each distinct warning once, with how often it came, its lines joined.
    std::vector<std::pair<std::string, int>> distinct;
    for (const sim::Warning& w : sim::Warnings()) {
        std::string line = "[" + Utf8(w.caption) + "] " + Utf8(w.text);
        for (size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n'))
            line.replace(at, 1, " / ");
        if (!distinct.empty() && distinct.back().first == line)
            ++distinct.back().second;
        else
            distinct.push_back({line, 1});
    }
    for (const auto& d : distinct)
        report("  %4d x %s\n", d.second, d.first.c_str());
    report("Experiment stops asked for: %d\n", sim::StopCount());
    size_t left = sim::LiveAllocations().size();
    report("Allocations left: %zu\n", left);

    bool filesWritten = WriteTimingDiagram(options.outDir + "\\timing.png", written, readBack,
                                           std::min(options.blocks, 24), n);
    filesWritten = session.driver.TovelSimWriteTraceCsv((options.outDir + "\\transfers.csv").c_str()) && filesWritten;
    if (!filesWritten || ferror(report.file))
        report("\nCould not write every file in %s\n", options.outDirShown.c_str());
    sim::DestroyModule(out.module);
    sim::DestroyModule(in.module);

    bool faultExpected = options.failAfterWrites > 0;
    good = filesWritten && left == 0 && (faultExpected ? sim::StopCount() > 0 : differing == 0 && sim::Warnings().empty() &&
                                                                      released == static_cast<uint64_t>(options.blocks));
    report("\nPictures, report and transfer trace: %s\n", options.outDirShown.c_str());
    report("Result: %s\n", good ? "as expected" : "NOT as expected");
    if (report.file)
        fclose(report.file);
    return good ? 0 : 1;
}
