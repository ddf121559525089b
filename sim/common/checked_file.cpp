#include "sim/common/checked_file.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <set>

#include "sim/common/numbers.h"
#include "sim/common/utf8.h"

namespace {

const size_t kBufferBytes = 1 << 16;

// Bytes the disk still takes: all of them, unless KORVU_HOST_DISK_BYTES says.
int64_t g_diskLeft = -2;  // -2: not read yet; -1: no limit

int64_t& DiskLeft()
{
    if (g_diskLeft == -2) {
        const char* limit = getenv("KORVU_HOST_DISK_BYTES");
        std::string unused;
        if (!limit || !sim::ReadWhole(limit, {0, INT64_MAX}, &g_diskLeft, &unused))
            g_diskLeft = -1;
    }
    return g_diskLeft;
}

std::set<std::string>& ShortFiles()
{
    static std::set<std::string> paths;
    return paths;
}

}  // namespace

bool FellShort(const std::string& path)
{
    return ShortFiles().count(path) > 0;
}

void CheckedFile::Fail()
{
    if (!failed_)
        ShortFiles().insert(path_);
    failed_ = true;
}

bool CheckedFile::Open(const std::string& path)
{
    Close();
    handle_ = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    path_ = path;
    opened_ = handle_ != INVALID_HANDLE_VALUE;
    failed_ = false;
    ShortFiles().erase(path);
    if (!opened_)
        Fail();
    buffer_.clear();
    return opened_;
}

void CheckedFile::Write(const void* bytes, size_t size)
{
    if (!IsOpen())
        return;
    buffer_.append(static_cast<const char*>(bytes), size);
    if (buffer_.size() >= kBufferBytes)
        Flush();
}

void CheckedFile::PrintList(const char* format, va_list arguments)
{
    char text[2048];
    const int n = vsnprintf(text, sizeof text, format, arguments);
    if (n > 0)
        Write(text, static_cast<size_t>(n) < sizeof text ? n : sizeof text - 1);
}

void CheckedFile::Print(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    PrintList(format, arguments);
    va_end(arguments);
}

bool CheckedFile::Flush()
{
    if (!IsOpen() || buffer_.empty())
        return !failed_;
    int64_t& left = DiskLeft();
    DWORD size = static_cast<DWORD>(buffer_.size());
    if (left >= 0 && size > left)
        size = static_cast<DWORD>(left);  // what a full disk takes of it
    DWORD written = 0;
    const bool wrote = WriteFile(handle_, buffer_.data(), size, &written, nullptr);
    if (left >= 0)
        left -= written;
    if (!wrote || written != buffer_.size())
        Fail();
    buffer_.clear();
    return !failed_;
}

bool CheckedFile::Close()
{
    if (!IsOpen())
        return Whole();
    Flush();
    if (!CloseHandle(handle_))
        Fail();
    handle_ = INVALID_HANDLE_VALUE;
    return Whole();
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size)
{
    CheckedFile file;
    if (!file.Open(path))
        return false;
    file.Write(bytes, size);
    return file.Close();
}

bool ReplaceWholeFile(const std::string& path, const void* bytes, size_t size)
{
    const std::string beside = path + ".saving";
    if (WriteWholeFile(beside, bytes, size) &&
        MoveFileExW(Widen(beside).c_str(), Widen(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(Widen(beside).c_str());
    return false;
}
