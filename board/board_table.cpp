#include "board/board_table.h"

#include <string.h>
#include <windows.h>

#include "board/board_driver.h"
#include "board/driver_entries.h"
#include "board/tovel_api.h"

BoardInfo BoardTable[kBoardSlots];

namespace {

CRITICAL_SECTION BoardLock;
bool g_boardLockExists;

uint32_t ReadLe32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void ProbeSlot(uint32_t slot)
{
    BoardInfo& board = BoardTable[slot];
    uint32_t word = slot;  // the driver may rewrite it; later calls pass what it holds
    if (BoardCreate(&word) == 1) {
        board.bPresent = 1;
        uint8_t resource[kTovelResourceSize];
        memset(resource, 0, sizeof resource);
        if (BoardGetResource(word, resource) == 1) {
            board.dwIoPortAddress = ReadLe32(resource + kTovelResourceIoAddress);
            board.dwIoPortLength = ReadLe32(resource + kTovelResourceIoLength);
        } else {
            board.dwIoPortAddress = 0;
            board.dwIoPortLength = 0;
        }
        if (BoardGetSwitchValue(word, &board.dwSwitchValue) == 0) {
            board.bPresent = 0;
            board.dwSwitchValue = 0;
        }
    } else {
        board.bPresent = 0;
        board.dwIoPortAddress = 0;
        board.dwIoPortLength = 0;
    }
    for (int p = 0; p < kBoardPorts; ++p) {
        board.bInputReserved[p] = 0;
        board.bOutputReserved[p] = 0;
    }
}

}  // namespace

int32_t InitBoardTable()
{
    if (!LoadBoardDriver())
        return 0;
    InitializeCriticalSection(&BoardLock);
    g_boardLockExists = true;
    for (uint32_t slot = 0; slot < kBoardSlots; ++slot)
        ProbeSlot(slot);
    return 1;
}

int32_t ExitBoardTable()
{
    // After a set-up that never got this far, or a second finish, there is
    // neither a driver to close boards with nor a lock to delete.
    if (!g_boardLockExists)
        return 1;
    if (BoardDriverLoaded()) {
        for (uint32_t slot = 0; slot < kBoardSlots; ++slot) {
            if (BoardTable[slot].bPresent == 1)
                BoardClose(slot);
        }
    }
    UnloadBoardDriver();
    DeleteCriticalSection(&BoardLock);
    g_boardLockExists = false;
    return 1;
}

int32_t BoardPortIO(uint32_t slot, uint32_t port, uint16_t direction, uint8_t* data)
{
    // A transfer after finish has no driver to go to: report it as failed.
    if (!g_boardLockExists)
        return 0;
    int32_t result;
    EnterCriticalSection(&BoardLock);
    if (direction == kPortWrite)
        result = DriverOutPort(slot, port, *data);
    else
        result = DriverInPort(slot, port, data);
    LeaveCriticalSection(&BoardLock);
    return result;
}

uint32_t BoardWriteEach(uint32_t slot, uint32_t port, const uint8_t* bytes, uint32_t count)
{
    if (!g_boardLockExists)
        return 0;
    for (uint32_t j = 0; j < count; ++j) {
        EnterCriticalSection(&BoardLock);
        const int32_t result = DriverOutPort(slot, port, bytes[j]);
        LeaveCriticalSection(&BoardLock);
        if (result == 0)
            return j;
    }
    return count;
}

BoardInfo* BoardAt(uint32_t slot)
{
    return slot < kBoardSlots ? &BoardTable[slot] : nullptr;
}
