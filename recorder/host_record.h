// One thing the recorder saw, as its ring holds it until the background
// writer turns it into a line of the recording.
#pragma once

#include <stdint.h>

#include "guest/guest_ring.h"

enum class Seen : uint8_t {
    kLookup,         // the plug-in asked the host's window for a name
    kPluginCall,     // the host called into the plug-in
    kServiceCall,    // the plug-in called a host service
    kVariable,       // a host variable the plug-in announced had changed at a call into the plug-in
    kSamples,        // samples of a block that passed (when asked for)
    kDialogMessage,  // a message reached a dialog of the plug-in inside a host service
};

// What the host called of the plug-in.
enum PluginFunction : uint8_t {
    kSetup,
    kFinish,
    kHandler,        // a module class's message handler
    kProcess,        // a module class's process function
    kMenuCallback,
};

struct HostRecord {
    RingHeader ring;        // its sequence number, and the records dropped just before it
    uint64_t stamp;         // the processor's time stamp counter when the call returned
    uint32_t ticks;         // GetTickCount then
    uint32_t thread;
    uint32_t entry;         // calls numbered as they began, over all threads
    uint32_t within;        // the entry of the host service under way on the thread, 0 none
    uint32_t result;
    uint16_t fpuControl;    // on entry into the plug-in
    uint16_t fpuStatus;
    uint32_t mxcsr;         // 0 on a processor without SSE; for a lookup, the answer the plug-in was given
    Seen seen;
    uint8_t what;           // PluginFunction, the service, the variable
    uint8_t depth;          // calls into the plug-in on the thread, this one included
    uint8_t stack;          // the stack pointer before the call, modulo 16; a service's popped bytes
    union {
        uint32_t words[8];  // arguments, and what goes with them
        char text[32];      // a lookup's name
    } data;
    uint8_t withinService;  // the service `within` names, or kNoService
    uint8_t unused[7];
};

constexpr uint8_t kNoService = 0xFF;

static_assert(sizeof(HostRecord) == 88, "a record is twenty-two words");
