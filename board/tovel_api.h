// The board maker's driver library, tovel.dll: the types of its eight entry
// points, looked up by name at run time. TOVEL_CALL is the convention the
// simulated driver is built with (stdcall unless defined otherwise); the
// plug-in calls the real one either way (host/any_convention.h).
#pragma once

#include <stdint.h>

#ifndef TOVEL_CALL
#define TOVEL_CALL __stdcall
#endif

constexpr int kTovelResourceSize = 408, kTovelResourceIoAddress = 116, kTovelResourceIoLength = 196;

typedef int32_t(TOVEL_CALL* TovelGetVersionFn)(void);  // never called
typedef int32_t(TOVEL_CALL* TovelCreateFn)(uint32_t* slot);
typedef int32_t(TOVEL_CALL* TovelCloseFn)(uint32_t slot);
typedef int32_t(TOVEL_CALL* TovelGetResourceFn)(uint32_t slot, void* resource);
typedef int32_t(TOVEL_CALL* TovelInPortFn)(uint32_t slot, uint32_t port, uint8_t* value);
typedef int32_t(TOVEL_CALL* TovelOutPortFn)(uint32_t slot, uint32_t port, uint32_t value);
typedef int32_t(TOVEL_CALL* TovelGetLastErrorFn)(uint32_t slot);
typedef int32_t(TOVEL_CALL* TovelGetSwitchValueFn)(uint32_t slot, uint32_t* value);

// The eight entry points of a driver as bound from it.
struct TovelEntries {
    TovelGetVersionFn getVersion;
    TovelCreateFn create;
    TovelCloseFn close;
    TovelGetResourceFn getResource;
    TovelInPortFn inPort;
    TovelOutPortFn outPort;
    TovelGetLastErrorFn getLastError;
    TovelGetSwitchValueFn getSwitchValue;
};
