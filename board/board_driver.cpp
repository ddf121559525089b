// tovel.dll, loaded by bare file name at set-up and bound by entry-point name.
// This file and the board table are the only places that know the driver.

#include "board/board_driver.h"

#include <windows.h>

#include "board/tovel_api.h"
#include "frame/host/proc_address.h"

namespace {

HMODULE g_driver;

struct DriverEntries {
    TovelGetVersionFn getVersion;
    TovelCreateFn create;
    TovelCloseFn close;
    TovelGetResourceFn getResource;
    TovelInPortFn inPort;
    TovelOutPortFn outPort;
    TovelGetLastErrorFn getLastError;
    TovelGetSwitchValueFn getSwitchValue;
};

DriverEntries g_entry;

uint32_t Low16(uint32_t slot)
{
    return slot & 0xFFFFu;
}

template <typename Fn>
bool Bind(Fn* entry, const char* name)
{
    *entry = ProcAddress<Fn>(g_driver, name);
    return *entry != nullptr;
}

}  // namespace

int32_t LoadBoardDriver()
{
    if (g_driver)
        return 0;
    g_driver = LoadLibraryA("tovel.dll");
    if (!g_driver)
        return 0;
    int32_t bound = BindBoardDriver();
    if (bound != 1)
        UnloadBoardDriver();
    return bound;
}

int32_t BindBoardDriver()
{
    // In this order; the first missing name ends the binding.
    if (!Bind(&g_entry.getVersion, "TovelGetVersion") || !Bind(&g_entry.create, "TovelCreate") ||
        !Bind(&g_entry.close, "TovelClose") || !Bind(&g_entry.getResource, "TovelGetResource") ||
        !Bind(&g_entry.inPort, "TovelInPort") || !Bind(&g_entry.outPort, "TovelOutPort") ||
        !Bind(&g_entry.getLastError, "TovelGetLastError") ||
        !Bind(&g_entry.getSwitchValue, "TovelGetSwitchValue"))
        return 0;
    return 1;
}

int32_t UnloadBoardDriver()
{
    if (!g_driver)
        return 0;
    int32_t freed = FreeLibrary(g_driver);
    if (freed == 1) {
        g_driver = nullptr;
        g_entry = DriverEntries();  // no call may reach a library that is gone
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
    return g_entry.create(slot);
}

int32_t BoardClose(uint32_t slot)
{
    return g_entry.close(Low16(slot));
}

int32_t BoardInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    return g_entry.inPort(Low16(slot), port, value);
}

int32_t BoardOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    return g_entry.outPort(Low16(slot), port, value & 0xFFu);
}

int32_t BoardGetSwitchValue(uint32_t slot, uint32_t* value)
{
    return g_entry.getSwitchValue(Low16(slot), value);
}

int32_t BoardGetResource(uint32_t slot, void* resource)
{
    // A module may re-attach after a set-up that never bound the driver.
    if (!g_entry.getResource)
        return 0;
    return g_entry.getResource(Low16(slot), resource);
}

int32_t BoardGetLastError(uint32_t slot)
{
    if (!g_driver)
        return -1;
    return g_entry.getLastError(Low16(slot));
}
