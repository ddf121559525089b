// One call through the trace driver as the ring holds it, until the
// background writer turns it into a line of the trace file.
#pragma once

#include <stdint.h>

#include "board/tovel_api.h"
#include "guest/guest_ring.h"

// Which of slot, port and value the call has.
constexpr uint8_t kHasSlot = 1, kHasPort = 2, kHasValue = 4;

struct CallRecord {
    RingHeader ring;         // its sequence number, and the calls dropped just before it
    uint32_t ticks;          // GetTickCount at the call
    uint64_t stamp;          // the processor's time stamp counter after it
    uint32_t thread;
    uint32_t slot;
    uint32_t port;
    uint32_t value;          // written or read; the switch value; the I/O address
    int32_t result;
    TovelEntryId entry;
    uint8_t has;             // kHas... bits
};
