// A file a program of the simulator writes for a person to read: every
// write is checked, and the file once more when it is closed, so that a
// short or failed write (a full disk) is known and the file can be named,
// never taken for whole.
//
// KORVU_HOST_DISK_BYTES in the environment makes the disk fill after that
// many bytes, written by all checked files together: how a test shows what a
// full disk does without filling one.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <string>

class CheckedFile {
public:
    CheckedFile() = default;
    ~CheckedFile() { Close(); }
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    // Made anew at the UTF-8 path; false when it cannot be.
    bool Open(const std::string& path);
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Write(const void* bytes, size_t size);
    void Print(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
    void PrintList(const char* format, va_list arguments);
    // What is held so far onto the disk; false once any write fell short.
    bool Flush();
    // True when the file was made and every byte reached it.
    bool Close();
    bool Whole() const { return opened_ && !failed_; }

private:
    void Fail();
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string path_;
    bool opened_ = false;
    bool failed_ = false;
    std::string buffer_;
};

// The whole of `size` bytes into a new file at the UTF-8 path, checked.
bool WriteWholeFile(const std::string& path, const void* bytes, size_t size);

// The same, for a file a person made: the bytes go to a file beside it first,
// which takes its place only once whole, so that a full disk never costs the
// file as it was.
bool ReplaceWholeFile(const std::string& path, const void* bytes, size_t size);

// Whether a checked file at this path fell short since the program started:
// a run asks this of every file it says it wrote.
bool FellShort(const std::string& path);
