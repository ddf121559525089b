// The recorder's own state: its settings, the plug-in behind it, its
// recording (guest/), and the frames of the calls under way on each thread.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "guest/guest_recording.h"
#include "host/host_call.h"
#include "guest/thread_slot.h"
#include "recorder/host_record.h"

// A call under way on a thread, into the plug-in or into the host, from its
// wrapper's frame: the thread's slot points at the innermost.
struct CallFrame {
    CallFrame* outer;
    uint32_t entry;
    uint32_t serviceEntry;  // the innermost host service under way, this one or an outer; 0 none
    uint8_t service;        // that service
    uint8_t pluginDepth;    // calls into the plug-in under way, this one included
};

struct Recorder {
    HMODULE plugin = nullptr;            // the real one
    int32_t(HOST_CALL* setup)(HWND) = nullptr;
    int32_t(HOST_CALL* finish)(int32_t) = nullptr;
    int32_t(HOST_CALL* wep)(int32_t) = nullptr;
    GuestRecording recording;
    bool recordSamples = false;
    wchar_t tracePath[MAX_PATH] = L"";
    wchar_t profilePath[MAX_PATH] = L"";
    uint64_t tenthsPerStamp = 0;         // the writer's, for the turn under way
    ThreadSlot frames;
    volatile LONG entries = 0;
};

extern Recorder g_recorder;

// Once, at the first SetupKorvuDLL: the settings, the file, the plug-in.
// False, with the reason at the top of the file, when there is no whole
// plug-in to pass the calls to.
bool StartRecorder();
bool PluginBound();
// Lets go of the plug-in: no call reaches it from now on.
void ReleasePlugin();

// A call begins on this thread: its frame, numbered, linked to the thread's.
void EnterFrame(CallFrame& frame, bool intoPlugin, uint8_t service = 0);
void LeaveFrame(const CallFrame& frame);

// A record with the thread, the time, and the frame's entry and service.
HostRecord NewRecord(Seen seen, uint8_t what, const CallFrame* frame);
void Keep(HostRecord& record);
void NoteLine(const char* text);
