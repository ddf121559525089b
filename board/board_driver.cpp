// tovel.dll, loaded by bare file name at set-up and bound by entry-point name,
// and called whichever calling convention the board maker built it with.
// This file and the board table are the only places that know the driver.

#include "board/board_driver.h"

#include <windows.h>

#include "board/bind_tovel.h"
#include "board/driver_entries.h"

TovelEntries g_driverEntries;

namespace {

HMODULE g_driver;

}  // namespace

int32_t LoadBoardDriver()
{
    if (g_driver)
        return 0;
    g_driver = LoadLibraryA("tovel.dll");
    if (!g_driver)
        return 0;
    if (BindTovelEntries(g_driver, &g_driverEntries)) {  // one missing: no board
        UnloadBoardDriver();
        return 0;
    }
    return 1;
}

int32_t UnloadBoardDriver()
{
    if (!g_driver)
        return 0;
    int32_t freed = FreeLibrary(g_driver);
    if (freed == 1) {
        g_driver = nullptr;
        g_driverEntries = TovelEntries();  // no call may reach a library that is gone
    }
    return freed;
}

bool BoardDriverLoaded()
{
    return g_driver != nullptr;
}

int32_t BoardCreate(uint32_t* slot)
{
    *slot = Low16(*slot);
    return CallAnyConvention(g_driverEntries.create, slot);
}

int32_t BoardClose(uint32_t slot)
{
    return CallAnyConvention(g_driverEntries.close, Low16(slot));
}

int32_t BoardInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    return DriverInPort(slot, port, value);
}

int32_t BoardOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    return DriverOutPort(slot, port, value);
}

int32_t BoardGetSwitchValue(uint32_t slot, uint32_t* value)
{
    return CallAnyConvention(g_driverEntries.getSwitchValue, Low16(slot), value);
}

int32_t BoardGetResource(uint32_t slot, void* resource)
{
    // A module may re-attach after a set-up that never bound the driver.
    if (!g_driverEntries.getResource)
        return 0;
    return CallAnyConvention(g_driverEntries.getResource, Low16(slot), resource);
}

int32_t BoardGetLastError(uint32_t slot)
{
    if (!g_driver)
        return -1;
    return CallAnyConvention(g_driverEntries.getLastError, Low16(slot));
}
