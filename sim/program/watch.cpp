#include "sim/program/watch.h"

#include <stdio.h>

#include <string>

#include "sim/common/checked_file.h"
#include "sim/common/utf8.h"
#include "sim/pictures/screenshot.h"
#include "sim/workbench/board_lamps.h"
#include "sim/workbench/live_window.h"
#include "tracer/trace_live.h"

namespace {

const DWORD kTurnMs = 50, kLongestWaitMs = 60000;

// What the window shows: a copy of the section, each port as it stood at one
// moment of its own.
struct Seen {
    bool found = false;
    TraceLiveSection live = {};
};

const TraceLiveSection* g_section;
Seen g_seen;

// The port as one transfer left it; as last seen when the driver keeps
// writing it (the next look tries again).
void CopyPort(const TraceLivePort& from, TraceLivePort& to)
{
    for (int tries = 0; tries < 100; ++tries) {
        const uint32_t before = from.generation;
        MemoryBarrier();
        const TraceLivePort copy = from;
        MemoryBarrier();
        if (before % 2 == 0 && from.generation == before) {
            to = copy;
            return;
        }
        YieldProcessor();
    }
}

// A host that ended gave the section back (process 0): what it left stays
// in view, under its process, until another host takes the section.
void Look()
{
    if (!g_section || (!g_seen.found && !g_section->processId))
        return;
    TraceLiveSection& s = g_seen.live;
    memcpy(s.magic, g_section->magic, sizeof s.magic);
    s.layout = g_section->layout;
    if (g_section->processId)
        s.processId = g_section->processId;
    s.bound = g_section->bound;
    s.sequence = g_section->sequence;
    for (uint32_t slot = 0; slot < kTraceLiveSlots; ++slot) {
        const TraceLiveSlot& from = g_section->slots[slot];
        TraceLiveSlot& to = s.slots[slot];
        to.opened = from.opened;
        to.sequence = from.sequence;
        for (uint32_t port = 0; port < kTraceLivePorts; ++port) {
            CopyPort(from.output[port], to.output[port]);
            CopyPort(from.input[port], to.input[port]);
        }
    }
    g_seen.found = true;
}

// A slot the host holds open, or one it moved data through: not each slot
// the plug-in only probed at set-up.
bool Shown(const TraceLiveSlot& slot)
{
    return slot.opened || slot.output[0].sequence || slot.output[1].sequence || slot.input[0].sequence ||
           slot.input[1].sequence;
}

int ShownCount()
{
    int n = 0;
    for (const TraceLiveSlot& slot : g_seen.live.slots)
        n += g_seen.found && Shown(slot);
    return n;
}

std::string Status()
{
    const TraceLiveSection& s = g_seen.live;
    if (!g_seen.found)
        return "Waiting for a host with the trace driver (tovel.dll in front of tovel_maker.dll)...";
    char text[160];
    snprintf(text, sizeof text, "Host process %u, call %u%s", s.processId, s.sequence,
             s.bound ? "" : ": no maker's driver bound, so no board");
    return text;
}

void Paint(HWND window, HDC dc)
{
    Look();
    RECT all;
    GetClientRect(window, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    int index = 0;
    for (uint32_t n = 0; n < kTraceLiveSlots && g_seen.found; ++n) {
        const TraceLiveSlot& slot = g_seen.live.slots[n];
        if (!Shown(slot))
            continue;
        workbench::LampBoard lamps;
        lamps.title = "slot " + std::to_string(n) + (slot.opened ? "  open" : "  closed");
        for (uint32_t port = 0; port < kTraceLivePorts; ++port) {
            lamps.output[port] = static_cast<uint8_t>(slot.output[port].value);
            lamps.input[port] = static_cast<uint8_t>(slot.input[port].value);
        }
        workbench::PaintLampBoard(dc, index++, lamps);
    }
    if (g_seen.found && index == 0)
        TextOutA(dc, 8, 8, "No slot opened yet.", 19);
    workbench::PaintLampPanelText(dc, window, Status());
}

workbench::LiveWindow g_window = {L"KorvuTraceWatch", L"Tovel trace: the board's lines", Paint, nullptr};

const TraceLiveSection* OpenSection()
{
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, TOVEL_TRACE_LIVE_NAME);
    if (!mapping)
        return nullptr;
    // The view keeps the section when the host ends, so its last state stays.
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(TraceLiveSection));
    CloseHandle(mapping);
    const TraceLiveSection* s = static_cast<const TraceLiveSection*>(view);
    if (s && (memcmp(s->magic, kTraceLiveMagic, sizeof s->magic) != 0 || s->layout != kTraceLiveLayout)) {
        UnmapViewOfFile(view);
        return nullptr;
    }
    return s;
}

// The window as tall as the slots shown need.
void Fit()
{
    static int fitted = -1;
    const int boards = ShownCount();
    if (boards == fitted || !g_window.window)
        return;
    fitted = boards;
    const RECT frame = workbench::LampPanelFrame(boards);
    SetWindowPos(g_window.window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One turn of the window's messages, a turn long.
bool Turn()
{
    Look();
    Fit();
    const DWORD until = GetTickCount() + kTurnMs;
    MSG msg;
    for (DWORD now = GetTickCount(); static_cast<int32_t>(until - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return IsWindowVisible(g_window.window) != FALSE;
}

HWND Show()
{
    return workbench::ShowLiveWindow(g_window, workbench::LampPanelFrame(1));
}

int WatchUntilClosed()
{
    Show();
    printf("Watching for a host with the trace driver; close the window to finish.\n");
    while (Turn())
        if (!g_section)
            g_section = OpenSection();
    return 0;
}

std::string Port(const char* name, const TraceLivePort& p)
{
    char text[64];
    snprintf(text, sizeof text, " %s 0x%02X (call %u)", name, p.value, p.sequence);
    return p.sequence ? text : "";
}

int WatchOnce(const HostOptions& options)
{
    HWND window = Show();
    for (DWORD waited = 0; !g_seen.found; waited += kTurnMs) {
        if (waited >= kLongestWaitMs) {
            fprintf(stderr, "korvu_host: --watch-once: no host with the trace driver appeared in %lu s\n", kLongestWaitMs / 1000);
            return 1;
        }
        if (!g_section)
            g_section = OpenSection();
        Turn();
    }
    HANDLE host = OpenProcess(SYNCHRONIZE, FALSE, g_seen.live.processId);
    if (!host) {
        fprintf(stderr, "korvu_host: --watch-once: the host process %u that the section names is gone\n",
               g_seen.live.processId);
        return 1;
    }
    uint32_t frames = 0, changes = 0, last = g_seen.live.sequence, first = last;
    bool pictured = false;
    while (WaitForSingleObject(host, 0) == WAIT_TIMEOUT) {
        Turn();
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        ++frames;
        changes += g_seen.live.sequence != last;
        last = g_seen.live.sequence;
        if (!pictured && changes >= 3 && g_seen.live.slots[0].opened)  // a frame in the middle of the run
            pictured = !SaveScreenshotTo(window, options.outDir + "\\watch.png").empty();
    }
    CloseHandle(host);
    Look();
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    SaveScreenshotTo(window, options.outDir + "\\watch_end.png");
    CheckedFile f;
    f.Open(options.outDir + "\\watch.txt");
    f.Print("Host process %u, %s\n", g_seen.live.processId, g_seen.live.bound ? "maker's driver bound" : "no maker's driver");
    f.Print("Frames while it ran: %u, with new calls: %u (calls %u to %u)\n", frames, changes, first, last);
    f.Print("At its end, call %u:\n", g_seen.live.sequence);
    for (uint32_t n = 0; n < kTraceLiveSlots; ++n) {
        const TraceLiveSlot& s = g_seen.live.slots[n];
        if (Shown(s))
            f.Print("slot %u %s%s%s%s%s\n", n, s.opened ? "open" : "closed", Port("out0", s.output[0]).c_str(),
                    Port("out1", s.output[1]).c_str(), Port("in0", s.input[0]).c_str(), Port("in1", s.input[1]).c_str());
    }
    if (!f.Close()) {
        fprintf(stderr, "korvu_host: --watch-once: watch.txt was not written whole in %s\n", options.outDirShown.c_str());
        return 1;
    }
    printf("Watched host process %u through %u frames; %s\n", g_seen.live.processId, frames, options.outDirShown.c_str());
    return 0;
}

}  // namespace

int RunWatch(const HostOptions& options)
{
    return options.watchOnce ? WatchOnce(options) : WatchUntilClosed();
}
