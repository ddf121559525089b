#include "tracer/trace_settings.h"

#include <windows.h>
#include <stdarg.h>

#include "tracer/trace_self.h"

namespace {

// wsprintfW, whose output is never longer than 1024 characters, cut to `size`.
void FormatPath(wchar_t* path, size_t size, const wchar_t* format, ...)
{
    wchar_t whole[1025];
    va_list arguments;
    va_start(arguments, format);
    wvsprintfW(whole, format, arguments);
    va_end(arguments);
    lstrcpynW(path, whole, static_cast<int>(size));
}

// The folder the trace driver was loaded from, with its last backslash.
void OwnFolder(wchar_t* folder, DWORD size)
{
    const DWORD n = GetModuleFileNameW(TraceDriverModule(), folder, size);
    folder[n < size ? n : 0] = L'\0';
    wchar_t* last = wcsrchr(folder, L'\\');
    if (last)
        last[1] = L'\0';
}

bool IsFullPath(const wchar_t* path)
{
    return (path[0] && path[1] == L':') || (path[0] == L'\\' && path[1] == L'\\');
}

// `value` as a path: a full path as it is, anything else from the folder.
void PathFrom(const wchar_t* folder, const wchar_t* value, wchar_t* path, size_t size)
{
    if (IsFullPath(value))
        FormatPath(path, size, L"%s", value);
    else
        FormatPath(path, size, L"%s%s", folder, value);
}

void DefaultTracePath(wchar_t* path, size_t size)
{
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp))
        temp[0] = L'\0';
    SYSTEMTIME now;
    GetLocalTime(&now);
    FormatPath(path, size, L"%stovel_trace_%04u%02u%02u_%02u%02u%02u_%03u_%lu.csv", temp, now.wYear, now.wMonth,
               now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentProcessId());
}

uint32_t Clamped(uint32_t value, uint32_t least, uint32_t most)
{
    return value < least ? least : value > most ? most : value;
}

}  // namespace

void ReadTraceSettings(TraceSettings* s)
{
    wchar_t folder[MAX_PATH], ini[MAX_PATH], value[MAX_PATH];
    OwnFolder(folder, MAX_PATH);
    FormatPath(ini, MAX_PATH, L"%stovel_trace.ini", folder);

    GetPrivateProfileStringW(L"driver", L"path", L"tovel_maker.dll", value, MAX_PATH, ini);
    PathFrom(folder, value[0] ? value : L"tovel_maker.dll", s->makerPath, MAX_PATH);
    GetPrivateProfileStringW(L"trace", L"file", L"", value, MAX_PATH, ini);
    s->freshFile = !value[0];
    if (value[0])
        PathFrom(folder, value, s->tracePath, MAX_PATH);
    else
        DefaultTracePath(s->tracePath, MAX_PATH);
    s->ringCalls = Clamped(GetPrivateProfileIntW(L"trace", L"ring", kDefaultRing, ini), kLeastRing, kMostRing);
    s->flushMs = Clamped(GetPrivateProfileIntW(L"trace", L"flush_ms", 50, ini), 1, 3600000);
    s->limitBytes = static_cast<uint64_t>(GetPrivateProfileIntW(L"trace", L"limit_kb", 1048576, ini)) * 1024;
}
