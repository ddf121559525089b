// The driver's entry points as bound, for the two files of board/ that call
// them: the wrappers, and the locked port transfer, which calls the driver
// itself so that a port write costs no call of its own beyond the driver's.
#pragma once

#include <stdint.h>

#include "board/tovel_api.h"
#include "host/any_convention.h"

// All null while no driver is bound.
extern TovelEntries g_driverEntries;

// The driver takes the slot as its low 16 bits and a port value as its low 8.
inline uint32_t Low16(uint32_t slot)
{
    return slot & 0xFFFFu;
}

inline int32_t DriverOutPort(uint32_t slot, uint32_t port, uint32_t value)
{
    return CallAnyConvention(g_driverEntries.outPort, Low16(slot), port, value & 0xFFu);
}

inline int32_t DriverInPort(uint32_t slot, uint32_t port, uint8_t* value)
{
    return CallAnyConvention(g_driverEntries.inPort, Low16(slot), port, value);
}
