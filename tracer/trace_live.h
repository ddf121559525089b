// The trace driver's live section: the last value written to or read from
// each port of each slot, in named shared memory, for a view in another
// process (korvu_host --watch). Written by the trace driver in one host's
// process; any number of readers, which never hold it up.
//
// A port's `generation` is odd while the driver writes the port. A reader
// takes the generation, the fields, and the generation again, and keeps what
// it read when the two are even and equal.
//
// One host publishes at a time: its trace driver claims the section by
// writing its process id into `processId` in one compare-exchange, when the
// word is 0 or names a process that has ended, and gives it back (0) when it
// is unloaded.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define TOVEL_TRACE_LIVE_NAME L"Local\\TovelTraceLive"

constexpr uint32_t kTraceLiveSlots = 16, kTraceLivePorts = 2, kTraceLiveLayout = 2;
inline constexpr char kTraceLiveMagic[] = "TOVTRACE";  // its eight letters begin the section

#pragma pack(push, 1)

struct TraceLivePort {
    uint32_t generation;  // odd while being written
    uint32_t sequence;    // of the last transfer on the port; 0: none yet
    uint32_t value;       // the byte written, or the byte read (0 when a read failed)
    int32_t result;       // what the maker's driver answered
    uint32_t ticks;       // GetTickCount at the transfer
};
static_assert(offsetof(TraceLivePort, sequence) == 4 && offsetof(TraceLivePort, value) == 8 &&
                  offsetof(TraceLivePort, result) == 12 && offsetof(TraceLivePort, ticks) == 16 &&
                  sizeof(TraceLivePort) == 20,
              "a port is five words");

struct TraceLiveSlot {
    uint32_t opened;    // 1 from a TovelCreate that succeeded to a TovelClose that succeeded
    uint32_t sequence;  // of that TovelCreate or TovelClose
    TraceLivePort output[kTraceLivePorts];
    TraceLivePort input[kTraceLivePorts];
};
static_assert(offsetof(TraceLiveSlot, sequence) == 4 && offsetof(TraceLiveSlot, output) == 8 &&
                  offsetof(TraceLiveSlot, input) == 48 && sizeof(TraceLiveSlot) == 88,
              "a slot is two words and four ports");

struct TraceLiveSection {
    char magic[8];       // kTraceLiveMagic
    uint32_t layout;     // kTraceLiveLayout
    uint32_t processId;  // the host's process; 0 while no host holds the section
    uint32_t sequence;   // of the last call through the trace driver
    uint32_t bound;      // 1: the maker's driver is loaded and bound; 0: every TovelCreate answers 0
    TraceLiveSlot slots[kTraceLiveSlots];
};
static_assert(offsetof(TraceLiveSection, layout) == 8 && offsetof(TraceLiveSection, processId) == 12 &&
                  offsetof(TraceLiveSection, sequence) == 16 && offsetof(TraceLiveSection, bound) == 20 &&
                  offsetof(TraceLiveSection, slots) == 24 && sizeof(TraceLiveSection) == 24 + 16 * 88,
              "the section as readers of any build see it");

#pragma pack(pop)

struct CallRecord;

// The section, claimed for this process; null when another host that still
// runs holds it (`holder` then names it) or it cannot be made.
TraceLiveSection* ClaimLiveSection(void** mapping, uint32_t* holder);
// Gives it back and lets it go.
void ReleaseLiveSection(TraceLiveSection* live, void* mapping);
// A call as it returned, in the section.
void Publish(TraceLiveSection* live, const CallRecord& r);
