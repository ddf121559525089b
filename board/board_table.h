// The boards found at set-up, one record per logical slot, with the port
// reservations of the modules; and the one lock around port transfers.
#pragma once

#include <stdint.h>

constexpr int kBoardSlots = 16, kBoardPorts = 2, kPortBits = 8;

struct BoardInfo {
    uint32_t bPresent;
    uint32_t dwIoPortAddress;
    uint32_t dwIoPortLength;
    uint32_t dwSwitchValue;
    uint32_t bInputReserved[kBoardPorts];
    uint32_t bOutputReserved[kBoardPorts];
};

static_assert(sizeof(BoardInfo) == 8 * 4, "eight 32-bit fields");

extern BoardInfo BoardTable[kBoardSlots];

// 1: driver bound, lock created, table filled (even with no board found).
// 0: the driver cannot be loaded or bound; nothing else was done.
int32_t InitBoardTable();
int32_t ExitBoardTable();

constexpr uint32_t kPortWrite = 0, kPortRead = 1;

// One byte to (direction 0) or from (any other direction) a port, under the
// board lock. The driver's result: non-zero for success.
int32_t BoardPortIO(uint32_t slot, uint32_t port, uint16_t direction, uint8_t* data);

// bytes[0], bytes[1] ... written to a port in order, each as BoardPortIO
// writes one: a driver call of its own under the lock, so that other
// modules' transfers may come between any two. Stops after the first write
// that fails. The number of writes that succeeded before it: `count` when
// none failed.
uint32_t BoardWriteEach(uint32_t slot, uint32_t port, const uint8_t* bytes, uint32_t count);

// The board record of a slot that came from a stored worksheet or the host,
// or null when the slot is out of range.
BoardInfo* BoardAt(uint32_t slot);
