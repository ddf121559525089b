// Paths and texts a user types travel through the simulator and its programs
// as UTF-8, and reach Windows through its wide-character functions: the ANSI
// code page here is 932, which has no place for a "ü", so an ANSI path would
// silently name another file.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring Widen(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

inline std::string Narrow(const std::wstring& wide)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

// The plug-in's texts are code page 932 bytes, whatever this system's code
// page: the report shows them in UTF-8.
inline std::string Utf8FromCp932(const std::string& cp932)
{
    const int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &wide[0], n);
    return Narrow(wide);
}
