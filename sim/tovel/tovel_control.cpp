// The simulated driver's state, its load and unload, and the control
// functions that tests and the bench configure it with.

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/tovel/tovel_state.h"

uint32_t TovelSimOverlapsNow();
uint32_t TovelSimMaxConcurrentNow();
void TovelSimResetProbe();

namespace tovel {

CRITICAL_SECTION g_lock;

namespace {

LARGE_INTEGER g_loadedAt;
LARGE_INTEGER g_frequency;
std::string g_csvAtUnload;

struct Locked {
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
};

Board* Find(uint32_t slot)
{
    return slot < kSlots ? &State().boards[slot] : nullptr;
}

// At load: the file TOVEL_SIM_INI names, else tovel.ini beside the driver,
// else one board at slot 0. A file with problems, or a named one that is not
// there, leaves no board at all, so that a mistake is not hidden behind the
// default board; its problems go to the debugger's output.
void LoadOwnConfiguration(HMODULE self)
{
    wchar_t variable[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"TOVEL_SIM_INI", variable, MAX_PATH);
    const bool named = n > 0 && n < MAX_PATH;
    const std::string path = named ? Narrow(variable) : PathBesideModule(self, "tovel.ini");
    if (!named && GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        SetBoard(State().boards[0], true, 0x300, 16, 0);
        return;
    }
    std::vector<std::string> problems;
    if (!LoadIni(path.c_str(), &problems)) {
        for (const std::string& p : problems)
            OutputDebugStringA(("tovel.dll (simulated): " + p + "\n").c_str());
    }
}

uint32_t Get32(const uint8_t* bytes)
{
    uint32_t v;
    memcpy(&v, bytes, 4);
    return v;
}

TovelSimTransferFault Described(const TransferFault& f)
{
    return {f.nth, f.counted, f.persistent ? 1 : 0, f.everyOne ? 1 : 0};
}

}  // namespace

Driver& State()
{
    static Driver driver;
    return driver;
}

void SetBoard(Board& b, bool present, uint32_t ioAddress, uint32_t ioLength, uint32_t switchValue)
{
    b.present = present;
    // A recognisable filler, with the two fields the plug-in reads in place.
    for (int i = 0; i < kTovelResourceSize; ++i)
        b.resource[i] = static_cast<uint8_t>(0xA5 ^ i);
    memcpy(b.resource + kTovelResourceIoAddress, &ioAddress, 4);
    memcpy(b.resource + kTovelResourceIoLength, &ioLength, 4);
    b.switchValue = switchValue;
}

void ResetState(Driver& d)
{
    uint32_t dwell = d.dwell;
    d = Driver();
    d.dwell = dwell;
    TovelSimResetProbe();
}

int64_t CounterSinceLoad()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart - g_loadedAt.QuadPart;
}

double Microseconds(int64_t counterSinceLoad)
{
    return counterSinceLoad * 1e6 / g_frequency.QuadPart;
}

TovelSimTransfer WithTime(uint32_t index)
{
    TovelSimTransfer t = State().trace[index];
    t.microseconds = Microseconds(State().traceCounts[index]);
    return t;
}

void SetCsvAtUnload(const std::string& path)
{
    g_csvAtUnload = path;
}

}  // namespace tovel

using namespace tovel;

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lock);
        QueryPerformanceFrequency(&g_frequency);
        QueryPerformanceCounter(&g_loadedAt);
        LoadOwnConfiguration(self);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (!g_csvAtUnload.empty())
            TovelSimWriteTraceCsv(g_csvAtUnload.c_str());
        DeleteCriticalSection(&g_lock);
    }
    return TRUE;
}

extern "C" {

void TOVEL_SIM_CALL TovelSimReset(void)
{
    Locked lock;
    ResetState(State());
}

void TOVEL_SIM_CALL TovelSimSetBoard(uint32_t slot, int32_t present, uint32_t ioAddress, uint32_t ioLength,
                                     uint32_t switchValue)
{
    Locked lock;
    if (Board* b = Find(slot))
        SetBoard(*b, present != 0, ioAddress, ioLength, switchValue);
}

void TOVEL_SIM_CALL TovelSimSetAnswers(uint32_t slot, int32_t createAnswer, int32_t resourceAnswer)
{
    Locked lock;
    if (Board* b = Find(slot)) {
        b->createAnswer = createAnswer;
        b->resourceAnswer = resourceAnswer;
    }
}

void TOVEL_SIM_CALL TovelSimSetSlotWord(uint32_t slot, uint32_t word)
{
    Locked lock;
    if (Board* b = Find(slot)) {
        b->rewritesSlotWord = true;
        b->slotWord = word;
    }
}

void TOVEL_SIM_CALL TovelSimSetInput(uint32_t slot, uint32_t port, uint32_t value)
{
    Locked lock;
    if (Board* b = Find(slot); b && port < kPorts)
        b->input[port].value = static_cast<uint8_t>(value);
}

uint32_t TOVEL_SIM_CALL TovelSimGetOutput(uint32_t slot, uint32_t port)
{
    Locked lock;
    Board* b = Find(slot);
    return b && port < kPorts ? b->output[port] : 0;
}

int32_t TOVEL_SIM_CALL TovelSimWire(uint32_t outSlot, uint32_t outPort, uint32_t inSlot, uint32_t inPort)
{
    Locked lock;
    Board* in = Find(inSlot);
    if (!Find(outSlot) || !in || outPort >= kPorts || inPort >= kPorts)
        return 0;
    in->input[inPort].wired = true;
    in->input[inPort].sourceSlot = outSlot;
    in->input[inPort].sourcePort = outPort;
    return 1;
}

void TOVEL_SIM_CALL TovelSimSetInputPattern(uint32_t slot, uint32_t port, int32_t pattern)
{
    Locked lock;
    if (Board* b = Find(slot); b && port < kPorts)
        b->input[port].pattern = pattern;
}

void TOVEL_SIM_CALL TovelSimInjectFault(uint32_t slot, int32_t fault, uint32_t nth, int32_t persistent,
                                        int32_t errorCode)
{
    Locked lock;
    Board* b = Find(slot);
    if (!b)
        return;
    b->faultError = errorCode;
    TransferFault armed;
    armed.nth = nth;
    armed.persistent = persistent != 0;
    armed.everyOne = nth == 0;
    switch (fault) {
    case kTovelSimClearFaults:
#define TOVEL_SIM_CLEAR(id, number, flag, word) b->flag = false;
        TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_CLEAR)
#undef TOVEL_SIM_CLEAR
        b->failOut = b->failIn = TransferFault();
        break;
#define TOVEL_SIM_ARM(id, number, flag, word) case id: b->flag = true; break;
        TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_ARM)
#undef TOVEL_SIM_ARM
    case kTovelSimFailOutPort: b->failOut = armed; break;
    case kTovelSimFailInPort: b->failIn = armed; break;
    default: break;
    }
}

uint32_t TOVEL_SIM_CALL TovelSimTraceLength(void)
{
    Locked lock;
    return static_cast<uint32_t>(State().trace.size());
}

int32_t TOVEL_SIM_CALL TovelSimTraceEntry(uint32_t index, TovelSimTransfer* entry)
{
    Locked lock;
    if (index >= State().trace.size() || !entry)
        return 0;
    *entry = WithTime(index);
    return 1;
}

int32_t TOVEL_SIM_CALL TovelSimWriteTraceCsv(const char* path)
{
    Locked lock;
    FILE* f = _wfopen(Widen(path).c_str(), L"w");
    if (!f)
        return 0;
    fprintf(f, "sequence,microseconds,thread,slot,port,direction,value,result,error\n");
    for (uint32_t i = 0; i < State().trace.size(); ++i) {
        const TovelSimTransfer t = WithTime(i);
        fprintf(f, "%u,%.1f,%u,%u,%u,%s,0x%02X,%d,%d\n", t.sequence, t.microseconds, t.threadId, t.slot, t.port,
                t.direction == 0 ? "out" : "in", t.value, t.result, t.error);
    }
    if (State().traceDropped)
        fprintf(f, "# cut short: the trace was full, %u later transfers are not in it\n", State().traceDropped);
    const bool failed = ferror(f) != 0;
    return fclose(f) == 0 && !failed ? 1 : 0;
}

uint32_t TOVEL_SIM_CALL TovelSimTakeTrace(TovelSimTransfer* entries, uint32_t most)
{
    Locked lock;
    Driver& d = State();
    const uint32_t taken = static_cast<uint32_t>(std::min<size_t>(most, d.trace.size()));
    for (uint32_t i = 0; i < taken; ++i)
        entries[i] = WithTime(i);
    d.trace.erase(d.trace.begin(), d.trace.begin() + taken);
    d.traceCounts.erase(d.traceCounts.begin(), d.traceCounts.begin() + taken);
    return taken;
}

uint32_t TOVEL_SIM_CALL TovelSimTraceDropped(void)
{
    Locked lock;
    return State().traceDropped;
}

void TOVEL_SIM_CALL TovelSimSetTraceLimit(uint32_t entries)
{
    Locked lock;
    State().traceLimit = entries;
}

uint32_t TOVEL_SIM_CALL TovelSimOverlaps(void) { return TovelSimOverlapsNow(); }
uint32_t TOVEL_SIM_CALL TovelSimMaxConcurrent(void) { return TovelSimMaxConcurrentNow(); }

void TOVEL_SIM_CALL TovelSimSetDwell(uint32_t yields)
{
    Locked lock;
    State().dwell = yields;
}

int32_t TOVEL_SIM_CALL TovelSimIsOpen(uint32_t slot)
{
    Locked lock;
    Board* b = Find(slot);
    return b && b->open ? 1 : 0;
}

uint32_t TOVEL_SIM_CALL TovelSimCalls(const char* entryPoint)
{
    Locked lock;
    for (int entry = 0; entry < kTovelEntryCount; ++entry) {
        if (entryPoint && strcmp(entryPoint, kTovelEntryNames[entry]) == 0)
            return State().calls[entry];
    }
    return 0;
}

int32_t TOVEL_SIM_CALL TovelSimLoadIni(const char* path)
{
    Locked lock;
    std::vector<std::string> problems;
    return path && LoadIni(path, &problems) ? 1 : 0;
}

uint32_t TOVEL_SIM_CALL TovelSimCheckIni(const char* path, char* problems, uint32_t size)
{
    std::vector<std::string> found;
    if (!path)
        return 0;
    CheckIni(path, &found);
    std::string text;
    for (const std::string& p : found)
        text += p + "\n";
    if (problems && size > 0)
        lstrcpynA(problems, text.c_str(), static_cast<int>(size));
    return static_cast<uint32_t>(found.size());
}

int32_t TOVEL_SIM_CALL TovelSimGetBoardInfo(uint32_t slot, TovelSimBoardInfo* info)
{
    Locked lock;
    const Board* b = Find(slot);
    if (!b || !info)
        return 0;
    *info = {};
    info->present = b->present;
    info->open = b->open;
    info->ioAddress = Get32(b->resource + kTovelResourceIoAddress);
    info->ioLength = Get32(b->resource + kTovelResourceIoLength);
    info->switchValue = b->switchValue;
    for (uint32_t port = 0; port < kPorts; ++port) {
        const Input& in = b->input[port];
        info->output[port] = b->output[port];
        info->input[port] = {in.wired, in.sourceSlot, in.sourcePort, in.pattern, in.value};
    }
#define TOVEL_SIM_DESCRIBE(id, number, flag, word) info->flag = b->flag;
    TOVEL_SIM_SET_UP_FAULTS(TOVEL_SIM_DESCRIBE)
#undef TOVEL_SIM_DESCRIBE
    info->failOut = Described(b->failOut);
    info->failIn = Described(b->failIn);
    info->faultError = b->faultError;
    return 1;
}

}  // extern "C"
