#include "sim/tovel/board_file_text.h"

#include <stdio.h>
#include <windows.h>

#include "sim/common/utf8.h"

namespace tovel {

namespace {

const size_t kMostBytes = 1 << 20;

}  // namespace

bool ReadBoardFileBytes(const char* path, std::string* bytes, std::string* why)
{
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *why = "no such file";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *why = "a folder, not a file";
        return false;
    }
    FILE* f = _wfopen(wide.c_str(), L"rb");
    if (!f) {
        *why = "cannot be read";
        return false;
    }
    char chunk[4096];
    for (size_t n; bytes->size() <= kMostBytes && (n = fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes->append(chunk, n);
    fclose(f);
    if (bytes->size() > kMostBytes) {
        *why = "longer than a board file can be (1 MB)";
        return false;
    }
    // A UTF-16 file (Notepad's "Unicode") has a byte order mark and a NUL in
    // every other byte; text in the expected encoding has neither.
    const bool utf16 = bytes->size() >= 2 && ((bytes->compare(0, 2, "\xFF\xFE") == 0) ||
                                              bytes->compare(0, 2, "\xFE\xFF") == 0);
    if (utf16 || bytes->find('\0') != std::string::npos) {
        *why = std::string("not a text file in the expected encoding (ASCII or UTF-8") +
               (utf16 ? "; this one is UTF-16)" : "; this one holds NUL bytes)");
        return false;
    }
    return true;
}

}  // namespace tovel
