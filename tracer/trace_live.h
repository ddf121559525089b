// The trace driver's live section: the last value written to or read from
// each port of each slot, in named shared memory, for a view in another
// process (korvu_host --watch). One writer, the trace driver in the host's
// process; any number of readers, which never block it.
//
// A reader takes a port's `sequence`, then its fields, then `sequence` again,
// and keeps what it read when the two agree: the driver writes the fields
// first and the sequence last.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define TOVEL_TRACE_LIVE_NAME L"Local\\TovelTraceLive"

constexpr uint32_t kTraceLiveSlots = 16, kTraceLivePorts = 2, kTraceLiveLayout = 1;

#pragma pack(push, 1)

struct TraceLivePort {
    uint32_t sequence;  // of the last transfer on the port; 0: none yet
    uint32_t value;     // the byte written, or the byte read
    int32_t result;     // what the maker's driver answered
    uint32_t ticks;     // GetTickCount at the transfer
};
static_assert(offsetof(TraceLivePort, value) == 4 && offsetof(TraceLivePort, result) == 8 &&
                  offsetof(TraceLivePort, ticks) == 12 && sizeof(TraceLivePort) == 16,
              "a port is four words");

struct TraceLiveSlot {
    uint32_t opened;    // 1 from a TovelCreate that succeeded to the TovelClose after it
    uint32_t sequence;  // of the last TovelCreate or TovelClose of the slot
    TraceLivePort output[kTraceLivePorts];
    TraceLivePort input[kTraceLivePorts];
};
static_assert(offsetof(TraceLiveSlot, sequence) == 4 && offsetof(TraceLiveSlot, output) == 8 &&
                  offsetof(TraceLiveSlot, input) == 40 && sizeof(TraceLiveSlot) == 72,
              "a slot is two words and four ports");

struct TraceLiveSection {
    char magic[8];       // "TOVTRACE"
    uint32_t layout;     // kTraceLiveLayout
    uint32_t processId;  // the host's process
    uint32_t sequence;   // of the last call through the trace driver
    uint32_t bound;      // 1: the maker's driver is loaded and bound; 0: every TovelCreate answers 0
    TraceLiveSlot slots[kTraceLiveSlots];
};
static_assert(offsetof(TraceLiveSection, layout) == 8 && offsetof(TraceLiveSection, processId) == 12 &&
                  offsetof(TraceLiveSection, sequence) == 16 && offsetof(TraceLiveSection, bound) == 20 &&
                  offsetof(TraceLiveSection, slots) == 24 && sizeof(TraceLiveSection) == 24 + 16 * 72,
              "the section as readers of any build see it");

#pragma pack(pop)
