// The simulated tovel.dll's own control interface, for tests, the bench and
// anyone who wants to set up boards without writing an INI file. The plug-in
// never calls these; it sees only the driver's eight entry points.
//
// Configuration is read at load from the INI file named by the environment
// variable TOVEL_SIM_INI, else from tovel.ini beside the DLL; without either,
// one board sits at slot 0 (see tovel.ini.example). Every path it takes or
// names is UTF-8.
#pragma once

#include <stdint.h>

#define TOVEL_SIM_CALL __cdecl

// The faults a slot's set-up calls can be given, listed once: the fault's
// number for TovelSimInjectFault, its flag in TovelSimBoardInfo and in the
// driver's own board, and the word a board file's fail= takes for it. The
// enum, the fields, the board-file words and their error text, clearing and
// the report are made from it.
#define TOVEL_SIM_SET_UP_FAULTS(X) \
    X(kTovelSimFailCreate, 1, failCreate, "create")               /* TovelCreate answers 0 */ \
    X(kTovelSimFailResource, 2, failResource, "resource")         /* TovelGetResource answers 0 */ \
    X(kTovelSimFailSwitchValue, 3, failSwitchValue, "switch")     /* TovelGetSwitchValue answers 0 */

enum TovelSimFault {
    kTovelSimClearFaults = 0,      // the slot's faults are all gone again
#define TOVEL_SIM_FAULT_NUMBER(id, number, flag, word) id = number,
    TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_FAULT_NUMBER)
#undef TOVEL_SIM_FAULT_NUMBER
    kTovelSimFailOutPort = 4,      // the nth TovelOutPort of the slot fails
    kTovelSimFailInPort = 5,       // the nth TovelInPort of the slot fails
};

enum TovelSimPattern {
    kTovelSimConstant = 0,         // an unwired input reads its set value
    kTovelSimCounter = 1,          // an unwired input counts up by one per read
};

struct TovelSimTransfer {
    uint32_t sequence;             // 1, 2, 3 ... over all slots, in call order
    uint32_t slot;
    uint32_t port;
    uint32_t direction;            // 0 write (TovelOutPort), 1 read (TovelInPort)
    uint32_t value;                // the value passed to TovelOutPort, or the byte read
    int32_t result;                // what the entry point answered
    int32_t error;                 // what TovelGetLastError said after a failed transfer, else 0
    uint32_t threadId;
    double microseconds;           // since the driver was loaded
};

struct TovelSimTransferFault {
    uint32_t nth;                  // the nth transfer from arming fails; 0 none armed
    uint32_t counted;              // transfers of that direction since armed
    int32_t persistent;            // and every one after it
    int32_t everyOne;              // every transfer fails
};

// One input port: what a read of it returns.
struct TovelSimInputSource {
    int32_t wired;                 // reads output port sourcePort of slot sourceSlot
    uint32_t sourceSlot;
    uint32_t sourcePort;
    int32_t pattern;               // unwired: kTovelSimConstant (value) or kTovelSimCounter
    uint32_t value;
};

// One slot as the driver holds it.
struct TovelSimBoardInfo {
    int32_t present;
    int32_t open;                  // a caller holds it through TovelCreate
    uint32_t ioAddress;
    uint32_t ioLength;
    uint32_t switchValue;
    uint32_t output[2];            // the last byte written to each output port
    struct TovelSimInputSource input[2];
#define TOVEL_SIM_FAULT_FIELD(id, number, flag, word) int32_t flag;
    TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_FAULT_FIELD)
#undef TOVEL_SIM_FAULT_FIELD
    struct TovelSimTransferFault failOut;
    struct TovelSimTransferFault failIn;
    int32_t faultError;            // the error code of the injected faults
};

// Every control function, once: its result, its name and its parameters. The
// header's declarations, the driver's export list and the loader's bindings
// are all made from this list.
#define TOVEL_SIM_CONTROLS(X) \
    /* No boards, wires, patterns or faults; an empty trace. */ \
    X(void, TovelSimReset, (void)) \
    X(void, TovelSimSetBoard, (uint32_t slot, int32_t present, uint32_t ioAddress, uint32_t ioLength, \
                              uint32_t switchValue)) \
    X(void, TovelSimSetInput, (uint32_t slot, uint32_t port, uint32_t value)) \
    X(uint32_t, TovelSimGetOutput, (uint32_t slot, uint32_t port)) \
    X(int32_t, TovelSimWire, (uint32_t outSlot, uint32_t outPort, uint32_t inSlot, uint32_t inPort)) \
    X(void, TovelSimSetInputPattern, (uint32_t slot, uint32_t port, int32_t pattern)) \
    /* nth counts that slot's transfers of that direction from this call on, */ \
    /* from 1; with persistent every later one fails too; nth 0 fails all. */ \
    X(void, TovelSimInjectFault, (uint32_t slot, int32_t fault, uint32_t nth, int32_t persistent, \
                                 int32_t errorCode)) \
    X(uint32_t, TovelSimTraceLength, (void)) \
    X(int32_t, TovelSimTraceEntry, (uint32_t index, struct TovelSimTransfer* entry)) \
    /* Moves the oldest transfers, at most `most`, out of the trace into */ \
    /* `entries`; answers how many. A long run drains it as it goes. */ \
    X(uint32_t, TovelSimTakeTrace, (struct TovelSimTransfer* entries, uint32_t most)) \
    /* Transfers left out of the trace because it was full. */ \
    X(uint32_t, TovelSimTraceDropped, (void)) \
    X(int32_t, TovelSimWriteTraceCsv, (const char* path)) \
    X(void, TovelSimSetTraceLimit, (uint32_t entries)) \
    /* Transfers that began while another ran, and the most at once. */ \
    X(uint32_t, TovelSimOverlaps, (void)) \
    X(uint32_t, TovelSimMaxConcurrent, (void)) \
    /* Widens each transfer by this many yields, to catch overlaps. */ \
    X(void, TovelSimSetDwell, (uint32_t yields)) \
    X(int32_t, TovelSimIsOpen, (uint32_t slot)) \
    X(uint32_t, TovelSimCalls, (const char* entryPoint)) \
    /* Checks the file first: with any problem, nothing of it is used. */ \
    X(int32_t, TovelSimLoadIni, (const char* path)) \
    /* The file's problems, one "file:line: key: what is wrong" per line, */ \
    /* cut to fit `size`; answers how many there are. */ \
    X(uint32_t, TovelSimCheckIni, (const char* path, char* problems, uint32_t size)) \
    X(int32_t, TovelSimGetBoardInfo, (uint32_t slot, struct TovelSimBoardInfo* info)) \
    /* What the slot's TovelCreate and TovelGetResource answer when they */ \
    /* succeed (1 unless set): a driver that says 2 or -1 for yes. */ \
    X(void, TovelSimSetAnswers, (uint32_t slot, int32_t createAnswer, int32_t resourceAnswer)) \
    /* The slot's TovelCreate rewrites the caller's slot word to `word`; the */ \
    /* caller's later calls then address that slot's board. */ \
    X(void, TovelSimSetSlotWord, (uint32_t slot, uint32_t word))

#define TOVEL_SIM_DECLARE(result, name, parameters) result TOVEL_SIM_CALL name parameters;
extern "C" {
TOVEL_SIM_CONTROLS(TOVEL_SIM_DECLARE)
}
#undef TOVEL_SIM_DECLARE
