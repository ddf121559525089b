// What the profile holds as the records go by: the seeing half of the
// profile (profile.cpp) fills it, the writing half (profile_text.cpp) reads it.
#pragma once

#include <stdint.h>

#include "recorder/plugin_calls.h"
#include "recorder/services.h"

// The first calls a finding rests on, and how many there were.
struct Evidence {
    uint32_t sequence[3];
    uint32_t count;
    void Add(uint32_t s)
    {
        if (count < 3)
            sequence[count] = s;
        ++count;
    }
};

// What came back into the plug-in inside one host service.
struct ServiceSeen {
    Evidence calls, tookArguments, leftArguments;
    Evidence process, runEnd, handler, dialog;
};

struct FpuSeen {
    uint32_t thread;
    uint16_t control, flags;
    uint32_t mxcsr;
    bool process;
    Evidence calls;
};

// Intervals between a thread's process calls, in microseconds, by buckets
// of 64 a power of two: below 64 one each, then 1/64 of the power.
constexpr int kBuckets = 64 + 36 * 64;

struct ProcessThread {
    uint32_t thread;
    uint64_t lastTenths;
    uint32_t lastSequence;
    uint32_t calls;
    uint32_t buckets[kBuckets];
    uint64_t longest;
    uint32_t longestBetween[2];
};

struct Run {
    uint32_t first, last;
    char order[160];  // the messages in the order they came, runs of one code counted
    uint32_t lastCode, repeat;
    uint32_t process;
};

struct Setting {
    uint32_t value[2];
    Evidence calls;
};

constexpr int kMostFpu = 16, kMostThreads = 8, kMostRuns = 4, kMostSettings = 6;

struct Profile {
    ServiceSeen services[kRecordedServices];
    FpuSeen fpu[kMostFpu];
    uint32_t fpuCount;
    ProcessThread threads[kMostThreads];
    uint32_t threadCount;
    Evidence stack[16];
    uint32_t deepest, deepestAt;
    uint32_t variables[kWatched][2];
    Setting blockSizes[kMostSettings], distances[kMostSettings], channels[kMostSettings];
    Run runs[kMostRuns];
    uint32_t runCount;
    bool inRun;
    uint32_t prepared, ended;
};

extern Profile g_profile;

// The least interval, in microseconds, that falls into the bucket.
uint64_t BucketFloor(uint32_t bucket);
