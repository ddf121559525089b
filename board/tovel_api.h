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

// The eight entry points, each once: X(name, field, parameters). From this
// list come their types (TovelCreateFn ...), the record they are bound into,
// their ids and names, the binding loop, and the build's export lists.
// TovelGetVersion is bound but never called.
#define TOVEL_ENTRY_POINTS(X)                                              \
    X(TovelGetVersion, getVersion, (void))                                 \
    X(TovelCreate, create, (uint32_t * slot))                              \
    X(TovelClose, close, (uint32_t slot))                                  \
    X(TovelGetResource, getResource, (uint32_t slot, void* resource))      \
    X(TovelInPort, inPort, (uint32_t slot, uint32_t port, uint8_t* value)) \
    X(TovelOutPort, outPort, (uint32_t slot, uint32_t port, uint32_t value)) \
    X(TovelGetLastError, getLastError, (uint32_t slot))                    \
    X(TovelGetSwitchValue, getSwitchValue, (uint32_t slot, uint32_t* value))

#define TOVEL_ENTRY_TYPE(name, field, parameters) typedef int32_t(TOVEL_CALL* name##Fn) parameters;
TOVEL_ENTRY_POINTS(TOVEL_ENTRY_TYPE)
#undef TOVEL_ENTRY_TYPE

// The entry points of a driver as bound from it.
struct TovelEntries {
#define TOVEL_ENTRY_FIELD(name, field, parameters) name##Fn field;
    TOVEL_ENTRY_POINTS(TOVEL_ENTRY_FIELD)
#undef TOVEL_ENTRY_FIELD
};

// An entry point by number (kTovelCreate ...), in the list's order.
enum TovelEntryId : uint8_t {
#define TOVEL_ENTRY_ID(name, field, parameters) k##name,
    TOVEL_ENTRY_POINTS(TOVEL_ENTRY_ID)
#undef TOVEL_ENTRY_ID
    kTovelEntryCount
};

inline constexpr const char* kTovelEntryNames[kTovelEntryCount] = {
#define TOVEL_ENTRY_NAME(name, field, parameters) #name,
    TOVEL_ENTRY_POINTS(TOVEL_ENTRY_NAME)
#undef TOVEL_ENTRY_NAME
};
