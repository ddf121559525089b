#include "recorder/recording.h"

#include <x86intrin.h>

#include "guest/guest_ini.h"
#include "guest/guest_self.h"
#include "host/format_text.h"
#include "host/proc_address.h"
#include "recorder/fpu_words.h"
#include "recorder/profile.h"
#include "recorder/record_lines.h"

Recorder g_recorder;

namespace {

GuestIni g_ini;

// The defaults of a recorder installed with no INI at all.
const wchar_t kSettingsName[] = L"korvu_recorder.ini";
const wchar_t kDefaultPlugin[] = L"Korvu_ux1_plugin.dll";

// The trace's path with _profile.txt for its extension.
void ProfilePath(const wchar_t* trace, wchar_t* profile, int size)
{
    lstrcpynW(profile, trace, size);
    wchar_t* dot = nullptr;
    for (wchar_t* c = profile; *c; ++c) {
        if (*c == L'.')
            dot = c;
        else if (*c == L'\\' || *c == L'/')
            dot = nullptr;
    }
    if (dot)
        *dot = 0;
    const int used = lstrlenW(profile);
    lstrcpynW(profile + used, L"_profile.txt", size - used);
}

bool LoadPlugin(Recorder& r, const wchar_t* path)
{
    char shown[2 * MAX_PATH + 1], why[1200];
    ShownPath(path, shown, sizeof shown);
    r.plugin = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!r.plugin) {
        text::Format(why, sizeof why, "the plug-in %s could not be loaded (error %lu)", shown, GetLastError());
    } else if (r.plugin == GuestModule()) {
        text::Format(why, sizeof why, "the plug-in %s is this recorder itself", shown);
    } else {
        r.setup = ProcAddress<decltype(r.setup)>(r.plugin, "SetupKorvuDLL");
        r.finish = ProcAddress<decltype(r.finish)>(r.plugin, "FinishKorvuDLL");
        r.wep = ProcAddress<decltype(r.wep)>(r.plugin, "WEP");
        const char* missing = !r.setup ? "SetupKorvuDLL" : !r.finish ? "FinishKorvuDLL" : !r.wep ? "WEP" : nullptr;
        if (!missing) {
            text::Format(why, sizeof why, "the plug-in: %s", shown);
            NoteLine(why);
            return true;
        }
        text::Format(why, sizeof why, "the plug-in %s has no export %s", shown, missing);
    }
    if (r.plugin)
        FreeLibrary(r.plugin);
    r.plugin = nullptr;
    r.setup = nullptr;
    NoteLine(why);
    NoteLine("so SetupKorvuDLL answers 0, as a plug-in that could not set up");
    return false;
}

}  // namespace

bool StartRecorder()
{
    Recorder& r = g_recorder;
    wchar_t ini[MAX_PATH], value[MAX_PATH], plugin[MAX_PATH];
    PathBesideGuest(kSettingsName, ini, MAX_PATH);
    ReadGuestIni(g_ini, ini);
    IniText(g_ini, L"recorder", L"file", L"", value, MAX_PATH);
    const bool fresh = !value[0];
    if (value[0])
        PathBesideGuest(value, r.tracePath, MAX_PATH);
    else
        FreshTempPath(L"korvu_host", r.tracePath, MAX_PATH);
    ProfilePath(r.tracePath, r.profilePath, MAX_PATH);
    IniText(g_ini, L"recorder", L"full", L"drop", value, MAX_PATH);
    const bool wait = lstrcmpiW(value, L"wait") == 0;
    r.recordSamples = IniNumber(g_ini, L"recorder", L"samples", 0) == 1;
    const RecordingSettings settings = {
        r.tracePath, fresh,
        static_cast<uint64_t>(IniNumber(g_ini, L"recorder", L"limit_kb", 1048576)) * 1024,
        IniNumberWithin(g_ini, L"recorder", L"ring", kDefaultRing, kLeastRing, MostRingRecords(sizeof(HostRecord))),
        sizeof(HostRecord), IniNumberWithin(g_ini, L"recorder", L"flush_ms", 50, 1, 3600000), wait,
        kRecordColumns, "korvu_recorder.ini", "records"};
    StartRecording(r.recording, settings, FormatRecord, MeasureTenthsPerStamp, &r.tenthsPerStamp);
    char line[700];
    SettingsLine(ini, g_ini.encoding, line, sizeof line);
    NoteLine(line);
    if (wait)
        NoteLine("full=wait: a call that finds the ring full waits until it is written out; none is dropped");
    r.frames = ThreadSlot(TlsAlloc());
    LearnFpuWords();
    IniText(g_ini, L"recorder", L"plugin", kDefaultPlugin, value, MAX_PATH);
    PathBesideGuest(value[0] ? value : kDefaultPlugin, plugin, MAX_PATH);
    return LoadPlugin(r, plugin);
}

bool PluginBound()
{
    return g_recorder.setup != nullptr;
}

void ReleasePlugin()
{
    Recorder& r = g_recorder;
    r.setup = nullptr;
    r.finish = nullptr;
    r.wep = nullptr;
    if (r.plugin)
        FreeLibrary(r.plugin);
    r.plugin = nullptr;
}

void EnterFrame(CallFrame& frame, bool intoPlugin, uint8_t service)
{
    const ThreadSlot& slot = g_recorder.frames;
    CallFrame* outer = static_cast<CallFrame*>(slot.Get());
    frame.outer = outer;
    frame.entry = static_cast<uint32_t>(InterlockedIncrement(&g_recorder.entries));
    frame.serviceEntry = intoPlugin ? (outer ? outer->serviceEntry : 0) : frame.entry;
    frame.service = intoPlugin ? (outer ? outer->service : 0) : service;
    frame.pluginDepth = static_cast<uint8_t>((outer ? outer->pluginDepth : 0) + (intoPlugin ? 1 : 0));
    slot.Set(&frame);
}

void LeaveFrame(const CallFrame& frame)
{
    g_recorder.frames.Set(frame.outer);
}

HostRecord NewRecord(Seen seen, uint8_t what, const CallFrame* frame)
{
    HostRecord r;
    ZeroMemory(&r, sizeof r);
    r.withinService = kNoService;
    r.seen = seen;
    r.what = what;
    r.thread = GetCurrentThreadId();
    r.ticks = GetTickCount();
    if (frame) {
        r.entry = frame->entry;
        // A service's own record names the service it came inside, if any.
        const CallFrame* around = frame->serviceEntry == frame->entry ? frame->outer : frame;
        r.within = around ? around->serviceEntry : 0;
        r.withinService = around && around->serviceEntry ? around->service : kNoService;
        r.depth = frame->pluginDepth;
    }
    return r;
}

void Keep(HostRecord& record)
{
    record.stamp = __rdtsc();
    Record(g_recorder.recording, &record);
}

void NoteLine(const char* text)
{
    Note(g_recorder.recording, text);
}
