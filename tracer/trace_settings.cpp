#include "tracer/trace_settings.h"

#include <windows.h>

#include "guest/guest_self.h"

namespace {

GuestIni g_ini;

}  // namespace

void ReadTraceSettings(TraceSettings* s)
{
    wchar_t ini[MAX_PATH], value[MAX_PATH];
    PathBesideGuest(L"tovel_trace.ini", ini, MAX_PATH);
    ReadGuestIni(g_ini, ini);
    s->iniEncoding = g_ini.encoding;

    IniText(g_ini, L"driver", L"path", L"tovel_maker.dll", value, MAX_PATH);
    PathBesideGuest(value[0] ? value : L"tovel_maker.dll", s->makerPath, MAX_PATH);
    IniText(g_ini, L"trace", L"file", L"", value, MAX_PATH);
    s->freshFile = !value[0];
    if (value[0])
        PathBesideGuest(value, s->tracePath, MAX_PATH);
    else
        FreshTempPath(L"tovel_trace", s->tracePath, MAX_PATH);
    s->ringCalls = IniNumberWithin(g_ini, L"trace", L"ring", kDefaultRing, kLeastRing, kMostRing);
    s->flushMs = IniNumberWithin(g_ini, L"trace", L"flush_ms", 50, 1, 3600000);
    s->limitBytes = static_cast<uint64_t>(IniNumber(g_ini, L"trace", L"limit_kb", 1048576)) * 1024;
    IniText(g_ini, L"trace", L"full", L"drop", value, MAX_PATH);
    s->waitWhenFull = lstrcmpiW(value, L"wait") == 0;
    s->fullUnknown = !s->waitWhenFull && lstrcmpiW(value, L"drop") != 0;
}
