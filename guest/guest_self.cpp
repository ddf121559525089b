#include "guest/guest_self.h"

#include <x86intrin.h>

namespace {

HMODULE g_self;
uint64_t g_loadedAtStamp;
LONGLONG g_loadedAtCounter;

// a * b / c, whole, without the product overflowing: long division of the
// 128-bit product, a bit at a time (once a writer's turn).
uint64_t MulDiv(uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32, bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    uint64_t high = aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
    uint64_t low = (middle << 32) | (lowLow & 0xFFFFFFFFu);
    uint64_t quotient = 0, remainder = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const uint64_t next = bit >= 64 ? (high >> (bit - 64)) & 1 : (low >> bit) & 1;
        const bool carry = remainder >> 63;
        remainder = (remainder << 1) | next;
        quotient <<= 1;
        if (carry || remainder >= c) {
            remainder -= c;
            quotient |= 1;
        }
    }
    return quotient;
}

bool IsFullPath(const wchar_t* path)
{
    return (path[0] && path[1] == L':') || (path[0] == L'\\' && path[1] == L'\\');
}

}  // namespace

void NoteGuestLoaded(HMODULE self)
{
    g_self = self;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_loadedAtCounter = now.QuadPart;
    g_loadedAtStamp = __rdtsc();
}

HMODULE GuestModule()
{
    return g_self;
}

void GuestFolder(wchar_t* folder, DWORD size)
{
    const DWORD n = GetModuleFileNameW(g_self, folder, size);
    folder[n < size ? n : 0] = L'\0';
    for (wchar_t* c = folder + lstrlenW(folder); c > folder; --c) {
        if (c[-1] == L'\\') {
            *c = L'\0';
            return;
        }
    }
}

void PathBesideGuest(const wchar_t* value, wchar_t* path, DWORD size)
{
    if (IsFullPath(value)) {
        lstrcpynW(path, value, static_cast<int>(size));
        return;
    }
    GuestFolder(path, size);
    const int used = lstrlenW(path);
    lstrcpynW(path + used, value, static_cast<int>(size) - used);
}

uint64_t TenthsPerStamp()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart - g_loadedAtCounter);
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart ? frequency.QuadPart : 1);
    const uint64_t tenths = ticks / perSecond * 10000000 + ticks % perSecond * 10000000 / perSecond;
    const uint64_t stamps = __rdtsc() - g_loadedAtStamp;
    return stamps ? MulDiv(tenths, uint64_t(1) << 32, stamps) : 0;
}

uint64_t TenthsSinceLoad(uint64_t stamp, uint64_t tenthsPerStamp)
{
    const uint64_t since = stamp > g_loadedAtStamp ? stamp - g_loadedAtStamp : 0;
    return (since >> 32) * tenthsPerStamp + (((since & 0xFFFFFFFFu) * tenthsPerStamp) >> 32);
}

void FreshTempPath(const wchar_t* prefix, wchar_t* path, int size)
{
    wchar_t temp[MAX_PATH], whole[1025];
    if (!GetTempPathW(MAX_PATH, temp))
        temp[0] = L'\0';
    SYSTEMTIME now;
    GetLocalTime(&now);
    wsprintfW(whole, L"%s%s_%04u%02u%02u_%02u%02u%02u_%03u_%lu.csv", temp, prefix, now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentProcessId());
    lstrcpynW(path, whole, size);
}

void ShownPath(const wchar_t* path, char* shown, int size)
{
    if (!WideCharToMultiByte(CP_ACP, 0, path, -1, shown, size, nullptr, nullptr))
        lstrcpynA(shown, "(a path this system's code page cannot show)", size);
}

void MeasureTenthsPerStamp(void* tenthsPerStamp)
{
    *static_cast<uint64_t*>(tenthsPerStamp) = TenthsPerStamp();
}
