#include "guest/guest_ini.h"

#include <windows.h>

#include "guest/guest_self.h"
#include "host/format_text.h"

namespace {

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r';
}

bool SameName(const wchar_t* a, uint32_t length, const wchar_t* b)
{
    for (uint32_t i = 0; i < length; ++i, ++b) {
        wchar_t x = a[i], y = *b;
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y - L'A' + L'a');
        if (!y || x != y)
            return false;
    }
    return *b == 0;
}

// [from, to) without the spaces around it.
void Trim(const wchar_t*& from, const wchar_t*& to)
{
    while (from < to && IsSpace(*from))
        ++from;
    while (to > from && IsSpace(to[-1]))
        --to;
}

// The value's first and past-the-last character, or false.
bool Find(const GuestIni& ini, const wchar_t* section, const wchar_t* key, const wchar_t** from, const wchar_t** to)
{
    bool inSection = false;
    for (const wchar_t* line = ini.text; *line;) {
        const wchar_t* end = line;
        while (*end && *end != L'\n')
            ++end;
        const wchar_t* a = line;
        const wchar_t* b = end;
        line = *end ? end + 1 : end;
        Trim(a, b);
        if (a == b || *a == L';' || *a == L'#')
            continue;
        if (*a == L'[') {
            const wchar_t* close = a;
            while (close < b && *close != L']')
                ++close;
            const wchar_t* name = a + 1;
            const wchar_t* nameEnd = close;
            Trim(name, nameEnd);
            inSection = close < b && SameName(name, static_cast<uint32_t>(nameEnd - name), section);
            continue;
        }
        const wchar_t* equals = a;
        while (equals < b && *equals != L'=')
            ++equals;
        if (!inSection || equals == b)
            continue;
        const wchar_t* name = a;
        const wchar_t* nameEnd = equals;
        Trim(name, nameEnd);
        if (!SameName(name, static_cast<uint32_t>(nameEnd - name), key))
            continue;
        *from = equals + 1;
        *to = b;
        Trim(*from, *to);
        return true;
    }
    return false;
}

}  // namespace

void ReadGuestIni(GuestIni& ini, const wchar_t* path)
{
    ini.text[0] = 0;
    ini.found = false;
    ini.encoding = "";
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    static char bytes[kMostIniBytes];  // a guest reads its settings once, on one thread
    DWORD n = 0;
    const BOOL read = ReadFile(file, bytes, sizeof bytes, &n, nullptr);
    CloseHandle(file);
    if (!read)
        return;
    ini.found = true;
    const uint32_t most = sizeof ini.text / sizeof ini.text[0] - 1;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes);
    int chars = 0;
    if (n >= 2 && u[0] == 0xFF && u[1] == 0xFE) {
        ini.encoding = "UTF-16 with a byte-order mark";
        chars = static_cast<int>((n - 2) / 2 < most ? (n - 2) / 2 : most);
        memcpy(ini.text, bytes + 2, chars * sizeof(wchar_t));
    } else if (n >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF) {
        ini.encoding = "UTF-8 with a byte-order mark";
        chars = MultiByteToWideChar(CP_UTF8, 0, bytes + 3, static_cast<int>(n - 3), ini.text, most);
    } else if ((chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(n), ini.text,
                                            most)) > 0 || n == 0) {
        ini.encoding = "UTF-8";
    } else {
        ini.encoding = "the ANSI code page (not valid UTF-8)";
        chars = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(n), ini.text, most);
    }
    ini.text[chars > 0 ? chars : 0] = 0;
}

void IniText(const GuestIni& ini, const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
             wchar_t* value, uint32_t size)
{
    const wchar_t* from;
    const wchar_t* to;
    if (!Find(ini, section, key, &from, &to)) {
        lstrcpynW(value, fallback, static_cast<int>(size));
        return;
    }
    uint32_t n = static_cast<uint32_t>(to - from);
    n = n < size - 1 ? n : size - 1;
    memcpy(value, from, n * sizeof(wchar_t));
    value[n] = 0;
}

uint32_t IniNumber(const GuestIni& ini, const wchar_t* section, const wchar_t* key, uint32_t fallback)
{
    const wchar_t* from;
    const wchar_t* to;
    if (!Find(ini, section, key, &from, &to) || from == to)
        return fallback;
    uint64_t value = 0;
    for (const wchar_t* c = from; c < to; ++c) {
        if (*c < L'0' || *c > L'9')
            return fallback;
        value = value * 10 + static_cast<uint32_t>(*c - L'0');
        if (value > 0xFFFFFFFFu)
            return fallback;
    }
    return static_cast<uint32_t>(value);
}

uint32_t IniNumberWithin(const GuestIni& ini, const wchar_t* section, const wchar_t* key, uint32_t fallback,
                         uint32_t least, uint32_t most)
{
    const uint32_t value = IniNumber(ini, section, key, fallback);
    return value < least ? least : value > most ? most : value;
}

void SettingsLine(const wchar_t* path, const char* encoding, char* line, uint32_t size)
{
    char shown[2 * MAX_PATH + 1];
    ShownPath(path, shown, sizeof shown);
    if (encoding[0])
        text::Format(line, size, "settings: %s, read as %s", shown, encoding);
    else
        text::Format(line, size, "settings: none at %s, so the defaults", shown);
}
