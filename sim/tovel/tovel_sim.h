// The simulated tovel.dll's own control interface, for tests, the bench and
// anyone who wants to set up boards without writing an INI file. The plug-in
// never calls these; it sees only the driver's eight entry points.
//
// Configuration is read at load from the INI file named by the environment
// variable TOVEL_SIM_INI, else from tovel.ini beside the DLL; without either,
// one board sits at slot 0 (see tovel.ini.example).
#pragma once

#include <stdint.h>

#define TOVEL_SIM_CALL __cdecl

enum TovelSimFault {
    kTovelSimClearFaults = 0,      // the slot's faults are all gone again
    kTovelSimFailCreate = 1,       // TovelCreate answers 0
    kTovelSimFailResource = 2,     // TovelGetResource answers 0
    kTovelSimFailSwitchValue = 3,  // TovelGetSwitchValue answers 0
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
    uint32_t threadId;
    double microseconds;           // since the driver was loaded
};

extern "C" {
void TOVEL_SIM_CALL TovelSimReset(void);  // no boards, wires, patterns, faults; empty trace
void TOVEL_SIM_CALL TovelSimSetBoard(uint32_t slot, int32_t present, uint32_t ioAddress, uint32_t ioLength,
                                     uint32_t switchValue);
void TOVEL_SIM_CALL TovelSimSetInput(uint32_t slot, uint32_t port, uint32_t value);
uint32_t TOVEL_SIM_CALL TovelSimGetOutput(uint32_t slot, uint32_t port);
int32_t TOVEL_SIM_CALL TovelSimWire(uint32_t outSlot, uint32_t outPort, uint32_t inSlot, uint32_t inPort);
void TOVEL_SIM_CALL TovelSimSetInputPattern(uint32_t slot, uint32_t port, int32_t pattern);
// nth counts that slot's transfers of that direction from this call on, from
// 1; with persistent every later one fails too; nth 0 fails every one.
void TOVEL_SIM_CALL TovelSimInjectFault(uint32_t slot, int32_t fault, uint32_t nth, int32_t persistent,
                                        int32_t errorCode);
uint32_t TOVEL_SIM_CALL TovelSimTraceLength(void);
int32_t TOVEL_SIM_CALL TovelSimTraceEntry(uint32_t index, TovelSimTransfer* entry);
int32_t TOVEL_SIM_CALL TovelSimWriteTraceCsv(const char* path);
void TOVEL_SIM_CALL TovelSimSetTraceLimit(uint32_t entries);
uint32_t TOVEL_SIM_CALL TovelSimOverlaps(void);       // transfers that began while another ran
uint32_t TOVEL_SIM_CALL TovelSimMaxConcurrent(void);
void TOVEL_SIM_CALL TovelSimSetDwell(uint32_t yields);  // widen each transfer to catch overlaps
int32_t TOVEL_SIM_CALL TovelSimIsOpen(uint32_t slot);
uint32_t TOVEL_SIM_CALL TovelSimCalls(const char* entryPoint);
int32_t TOVEL_SIM_CALL TovelSimLoadIni(const char* path);
// What the slot's TovelCreate and TovelGetResource answer when they succeed
// (1 unless set): a driver that says 2 or -1 for yes.
void TOVEL_SIM_CALL TovelSimSetAnswers(uint32_t slot, int32_t createAnswer, int32_t resourceAnswer);
// The slot's TovelCreate rewrites the caller's slot word to `word`; the
// caller's later calls then address that slot's board.
void TOVEL_SIM_CALL TovelSimSetSlotWord(uint32_t slot, uint32_t word);
}
