// Run-time binding of tovel.dll and thin wrappers around its entry points.
#pragma once

#include <stdint.h>

// 1: tovel.dll loaded and every entry point bound. 0: loaded already, or it
// could not be loaded or bound (and then is not kept).
int32_t LoadBoardDriver();
int32_t UnloadBoardDriver();
bool BoardDriverLoaded();

// Each passes the slot reduced to its low 16 bits and returns the driver's result.
int32_t BoardCreate(uint32_t* slot);
int32_t BoardClose(uint32_t slot);
int32_t BoardInPort(uint32_t slot, uint32_t port, uint8_t* value);
int32_t BoardOutPort(uint32_t slot, uint32_t port, uint32_t value);
int32_t BoardGetSwitchValue(uint32_t slot, uint32_t* value);
int32_t BoardGetResource(uint32_t slot, void* resource);
int32_t BoardGetLastError(uint32_t slot);
