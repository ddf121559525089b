#include "guest/guest_recording.h"

namespace {

bool TryTurn(GuestRecording& r)
{
    return InterlockedExchange(&r.writing, 1) == 0;
}

void EndTurn(GuestRecording& r)
{
    InterlockedExchange(&r.writing, 0);
}

// Formats what was taken into the file; with `last`, the records dropped
// after them too. The file must be this turn's.
void WriteTaken(GuestRecording& r, const TakenRecords& taken, bool last)
{
    if (r.turnBegins)
        r.turnBegins(r.context);
    char line[512];
    for (int run = 0; run < 2; ++run) {
        for (uint32_t i = 0; i < taken.lengths[run] && r.file.recording; ++i) {
            const void* record = TakenRecord(taken, run, i, r.ring.recordSize);
            const RingHeader* header = static_cast<const RingHeader*>(record);
            if (header->droppedBefore)
                WriteDropped(r.file, header->droppedBefore, header->sequence - header->droppedBefore);
            WriteRecordLine(r.file, line, r.format(record, line, sizeof line, r.context), header->sequence);
        }
    }
    if (last && taken.droppedAtEnd)
        WriteDropped(r.file, taken.droppedAtEnd, taken.lastSequence - taken.droppedAtEnd + 1);
}

// One turn of the writer, unless one is under way (then false).
bool Turn(GuestRecording& r, bool last)
{
    if (!TryTurn(r))
        return false;
    const TakenRecords taken = Take(r.ring);
    if (r.file.recording) {
        WriteTaken(r, taken, last);
        Flush(r.file);
    }
    Release(r.ring, taken);
    EndTurn(r);
    return true;
}

VOID CALLBACK WriterTurn(PVOID parameter, BOOLEAN)
{
    Turn(*static_cast<GuestRecording*>(parameter), false);
}

}  // namespace

bool StartRecording(GuestRecording& r, const RecordingSettings& s, FormatRecordFn format, TurnBeginsFn turnBegins,
                    void* context)
{
    r.format = format;
    r.turnBegins = turnBegins;
    r.context = context;
    r.waitWhenFull = s.waitWhenFull;
    r.flushMs = s.flushMs;
    if (!OpenGuestFile(r.file, s.path, s.freshFile, s.limitBytes, s.header, s.settingsName, s.noun))
        return false;
    if (!MakeRing(r.ring, s.ringRecords, s.recordSize)) {
        WriteNote(r.file, "no address space for the ring: nothing is recorded");
        CloseGuestFile(r.file);
        return false;
    }
    r.queue = CreateTimerQueue();
    return true;
}

bool Recording(const GuestRecording& r)
{
    return r.file.recording && r.ring.records;
}

uint32_t Record(GuestRecording& r, const void* record)
{
    if (!Recording(r))
        return NextSequence(r.ring);
    for (;;) {
        const uint32_t sequence = Append(r.ring, record, !r.waitWhenFull);
        if (sequence)
            return sequence;
        // Lossless: the call writes the ring out itself, or waits while the
        // writer does. A turn empties the ring even when the file has stopped.
        if (!Turn(r, false))
            Sleep(0);
    }
}

void Note(GuestRecording& r, const char* text)
{
    while (!TryTurn(r))
        Sleep(0);
    WriteNote(r.file, text);
    EndTurn(r);
}

void StartWriter(GuestRecording& r)
{
    AcquireSRWLockExclusive(&r.writerLock);
    if (!r.timer && r.queue && Recording(r) &&
        !CreateTimerQueueTimer(&r.timer, r.queue, WriterTurn, &r, r.flushMs, r.flushMs, WT_EXECUTEINTIMERTHREAD))
        r.timer = nullptr;
    ReleaseSRWLockExclusive(&r.writerLock);
}

void StopWriter(GuestRecording& r)
{
    AcquireSRWLockExclusive(&r.writerLock);
    if (r.timer)
        DeleteTimerQueueTimer(r.queue, r.timer, INVALID_HANDLE_VALUE);
    r.timer = nullptr;
    while (!Turn(r, false))
        Sleep(0);
    ReleaseSRWLockExclusive(&r.writerLock);
}

void EndRecording(GuestRecording& r, bool processEnding)
{
    // A guest that stopped its writer has no turn under way. One that did
    // not: its turns run in the queue's own thread, so waiting for one here,
    // inside the loader's lock, needs no thread to start. When the process
    // ends every other thread is gone, perhaps in the middle of a turn or of
    // a call: what they held stays unwritten, and the file says how much.
    if (!processEnding) {
        if (r.timer)
            DeleteTimerQueueTimer(r.queue, r.timer, INVALID_HANDLE_VALUE);
        if (r.queue)
            DeleteTimerQueueEx(r.queue, nullptr);  // its thread ends by itself, in no code of this guest
    }
    r.timer = nullptr;
    r.queue = nullptr;
    const bool turnCutOff = !TryTurn(r);
    const TakenRecords taken = turnCutOff ? TakenRecords{} : Take(r.ring, processEnding);
    if (r.file.recording && !turnCutOff)
        WriteTaken(r, taken, true);
    if (processEnding)
        WriteProcessEnd(r.file, r.ring.sequence, turnCutOff);
    CloseGuestFile(r.file);
    if (!processEnding)
        FreeRing(r.ring);
}
