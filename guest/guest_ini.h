// A guest's settings file, as people write it: UTF-8 with or without a
// byte-order mark, UTF-16 with one, or the ANSI code page where the text is
// not valid UTF-8. GetPrivateProfileString would read a UTF-8 file without a
// mark as ANSI and misread every path beyond ASCII.
#pragma once

#include <stdint.h>

// The most a settings file may hold; a longer one is read this far.
constexpr uint32_t kMostIniBytes = 64u << 10;

struct GuestIni {
    wchar_t text[kMostIniBytes + 1];  // a character per byte at most, whatever the encoding
    bool found = false;
    const char* encoding = "";  // as read: "UTF-8", "UTF-8 with a byte-order mark", ...
};

// Reads and decodes the file; found false when there is none.
void ReadGuestIni(GuestIni& ini, const wchar_t* path);

// The value of `key` in `[section]` (names as ASCII, either case), trimmed,
// or `fallback`; at most size - 1 characters.
void IniText(const GuestIni& ini, const wchar_t* section, const wchar_t* key, const wchar_t* fallback,
             wchar_t* value, uint32_t size);
// A whole decimal number, or `fallback` when the key is missing or its value
// is not one.
uint32_t IniNumber(const GuestIni& ini, const wchar_t* section, const wchar_t* key, uint32_t fallback);
// The same, brought within least to most.
uint32_t IniNumberWithin(const GuestIni& ini, const wchar_t* section, const wchar_t* key, uint32_t fallback,
                         uint32_t least, uint32_t most);
// The line a guest's file begins its settings with: the file as shown, and
// the encoding it was read in (empty: there was none, so the defaults).
void SettingsLine(const wchar_t* path, const char* encoding, char* line, uint32_t size);
