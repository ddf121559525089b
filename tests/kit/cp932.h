// The Unicode text of what the plug-in passed in code page 932, for comparing
// with the texts a user should see.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring FromCp932(const std::string& bytes)
{
    wchar_t wide[1024];
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.c_str(), -1, wide, 1024);
    return n > 0 ? std::wstring(wide, n - 1) : L"(not valid code page 932)";
}
