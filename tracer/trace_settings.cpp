#include "tracer/trace_settings.h"

#include <windows.h>

#include "guest/guest_self.h"

namespace {

GuestIni g_ini;

void DefaultTracePath(wchar_t* path, int size)
{
    wchar_t temp[MAX_PATH], whole[1025];
    if (!GetTempPathW(MAX_PATH, temp))
        temp[0] = L'\0';
    SYSTEMTIME now;
    GetLocalTime(&now);
    wsprintfW(whole, L"%stovel_trace_%04u%02u%02u_%02u%02u%02u_%03u_%lu.csv", temp, now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentProcessId());
    lstrcpynW(path, whole, size);
}

uint32_t Clamped(uint32_t value, uint32_t least, uint32_t most)
{
    return value < least ? least : value > most ? most : value;
}

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
        DefaultTracePath(s->tracePath, MAX_PATH);
    s->ringCalls = Clamped(IniNumber(g_ini, L"trace", L"ring", kDefaultRing), kLeastRing, kMostRing);
    s->flushMs = Clamped(IniNumber(g_ini, L"trace", L"flush_ms", 50), 1, 3600000);
    s->limitBytes = static_cast<uint64_t>(IniNumber(g_ini, L"trace", L"limit_kb", 1048576)) * 1024;
    IniText(g_ini, L"trace", L"full", L"drop", value, MAX_PATH);
    s->waitWhenFull = lstrcmpiW(value, L"wait") == 0;
    s->fullUnknown = !s->waitWhenFull && lstrcmpiW(value, L"drop") != 0;
}
