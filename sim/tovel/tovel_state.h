// The simulated boards and everything the driver remembers about its callers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "board/tovel_api.h"
#include "sim/tovel/tovel_sim.h"

namespace tovel {

constexpr uint32_t kSlots = 16, kPorts = 2;

struct TransferFault {
    uint32_t nth = 0;            // 0: none armed
    uint32_t counted = 0;        // transfers of this direction since armed
    bool persistent = false;
    bool everyOne = false;
};

struct Input {
    uint8_t value = 0;
    int32_t pattern = kTovelSimConstant;
    bool wired = false;
    uint32_t sourceSlot = 0;
    uint32_t sourcePort = 0;
};

struct Board {
    bool present = false;
    bool open = false;
    uint8_t resource[kTovelResourceSize] = {};
    uint32_t switchValue = 0;
    uint8_t output[kPorts] = {};
    Input input[kPorts];
    int32_t createAnswer = 1;    // what TovelCreate and TovelGetResource answer when they
    int32_t resourceAnswer = 1;  // succeed: a driver may say 2 or -1 for yes
    bool rewritesSlotWord = false;
    uint32_t slotWord = 0;       // what TovelCreate leaves in the caller's word
#define TOVEL_SIM_BOARD_FAULT(id, number, flag, word) bool flag = false;
    TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_BOARD_FAULT)
#undef TOVEL_SIM_BOARD_FAULT
    TransferFault failOut;
    TransferFault failIn;
    int32_t faultError = 0;
    int32_t lastError = 0;
};

struct Driver {
    Board boards[kSlots];
    // The microseconds are filled in when the trace is read: in a transfer,
    // only the performance counter is taken, so the driver's entry points
    // change nothing in the caller's floating-point unit.
    std::vector<TovelSimTransfer> trace;
    std::vector<int64_t> traceCounts;  // performance counter since load, per entry
    uint32_t traceLimit = 1u << 20;
    uint32_t traceDropped = 0;   // transfers after the trace was full
    uint32_t sequence = 0;
    uint32_t calls[kTovelEntryCount] = {};  // per entry point
    uint32_t dwell = 0;
};

// Guards Driver; the overlap counter lives outside it, so that it sees the
// callers' concurrency rather than the driver's own serialisation.
extern CRITICAL_SECTION g_lock;
Driver& State();
void ResetState(Driver& d);
void SetBoard(Board& b, bool present, uint32_t ioAddress, uint32_t ioLength, uint32_t switchValue);
int64_t CounterSinceLoad();
double Microseconds(int64_t counterSinceLoad);
// Reads the boards, their wiring and the trace file from an INI file. With
// any problem in it, nothing is changed and each problem is added to
// `problems` as "file:line: key: what is wrong".
bool LoadIni(const char* path, std::vector<std::string>* problems);
bool CheckIni(const char* path, std::vector<std::string>* problems);  // changes nothing
void SetCsvAtUnload(const std::string& path);  // empty: none

// Error codes the simulated driver reports on its own account.
constexpr int32_t kErrorNoBoard = 1;     // slot out of range, or no board there
constexpr int32_t kErrorNotOpen = 2;     // transfer on a board that was never opened
constexpr int32_t kErrorBadPort = 3;     // port other than 0 or 1
constexpr int32_t kErrorInjected = 100;  // an injected fault without an error code of its own

}  // namespace tovel
