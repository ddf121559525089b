#include "guest/guest_file.h"

#include <string.h>

#include "host/format_text.h"

namespace {

// Room kept below the limit for the line that says why the file ends there.
const uint32_t kRoomForTheLastWord = 200;

void Stop(GuestFile& f, const char* why);

void Put(GuestFile& f, const char* text, uint32_t length)
{
    if (!f.recording)
        return;
    if (f.used + length > sizeof f.buffer)
        Flush(f);
    if (!f.recording || length > sizeof f.buffer)
        return;
    memcpy(f.buffer + f.used, text, length);
    f.used += length;
}

// False, with the recording stopped and the file saying why, when the line
// would take the file past its limit.
bool Fits(GuestFile& f, uint32_t length)
{
    if (!f.limit || f.written + f.used + length + kRoomForTheLastWord <= f.limit)
        return true;
    char kilobytes[24], why[160];
    text::FormatUnsigned64(kilobytes, sizeof kilobytes, f.limit / 1024);
    text::Format(why, sizeof why, "the file reached its limit of %s KB (limit_kb in %s)", kilobytes, f.settingsName);
    Stop(f, why);
    return false;
}

void Stop(GuestFile& f, const char* why)
{
    if (!f.recording)
        return;
    char line[300];
    text::Format(line, sizeof line, "# recording stopped: %s\r\n", why);
    Put(f, line, static_cast<uint32_t>(lstrlenA(line)));
    Flush(f);
    InterlockedExchange(&f.recording, 0);
    CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}

}  // namespace

bool OpenGuestFile(GuestFile& f, const wchar_t* path, bool fresh, uint64_t limitBytes, const char* header,
                   const char* settingsName, const char* noun)
{
    f.handle = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, fresh ? CREATE_NEW : CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f.handle == INVALID_HANDLE_VALUE)
        return false;
    f.limit = limitBytes;
    f.settingsName = settingsName;
    f.noun = noun;
    f.written = 0;
    f.used = 0;
    InterlockedExchange(&f.recording, 1);
    Put(f, header, static_cast<uint32_t>(lstrlenA(header)));
    Put(f, "\r\n", 2);
    return true;
}

void WriteNote(GuestFile& f, const char* note)
{
    char line[700];
    text::Format(line, sizeof line, "# %s\r\n", note);
    const uint32_t length = static_cast<uint32_t>(lstrlenA(line));
    if (Fits(f, length))
        Put(f, line, length);
}

void WriteRecordLine(GuestFile& f, const char* line, uint32_t length, uint32_t sequence)
{
    if (!Fits(f, length))
        return;
    Put(f, line, length);
    if (f.recording)
        f.bufferedSequence = sequence;
}

void WriteDropped(GuestFile& f, uint32_t count, uint32_t firstSequence)
{
    char note[200];
    text::Format(note, sizeof note, "dropped %u %s, sequence %u to %u: the ring was full (ring in %s)", count, f.noun,
                 firstSequence, firstSequence + count - 1, f.settingsName);
    WriteNote(f, note);
    f.bufferedSequence = firstSequence + count - 1;
}

void WriteProcessEnd(GuestFile& f, uint32_t lastSequence, bool turnCutOff)
{
    if (turnCutOff) {
        f.used = 0;
        f.bufferedSequence = f.flushedSequence;
        Put(f, "\r\n", 2);  // a line the cut-off turn left half-written ends here
    }
    char why[200];
    const uint32_t missing = lastSequence - f.bufferedSequence;
    if (missing == 0)
        text::Format(why, sizeof why, "the process ended, every one of its %s written above", f.noun);
    else
        text::Format(why, sizeof why, "the process ended; %u %s were not written, sequence %u to %u", missing, f.noun,
                     f.bufferedSequence + 1, lastSequence);
    Stop(f, why);
}

void Flush(GuestFile& f)
{
    if (!f.used || f.handle == INVALID_HANDLE_VALUE)
        return;
    DWORD done = 0;
    const bool wrote = WriteFile(f.handle, f.buffer, f.used, &done, nullptr) && done == f.used;
    f.written += done;
    f.used = 0;
    if (!wrote) {  // a full disk, a file taken away: the calls go on unrecorded
        InterlockedExchange(&f.recording, 0);
        CloseHandle(f.handle);
        f.handle = INVALID_HANDLE_VALUE;
        return;
    }
    f.flushedSequence = f.bufferedSequence;
}

void CloseGuestFile(GuestFile& f)
{
    Flush(f);
    InterlockedExchange(&f.recording, 0);
    if (f.handle != INVALID_HANDLE_VALUE)
        CloseHandle(f.handle);
    f.handle = INVALID_HANDLE_VALUE;
}
