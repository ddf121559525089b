// The simulated tovel.dll as the host side holds it (tests, benchmarks, the
// host program): loaded by path from its variant's folder, so that the
// plug-in's load by bare name finds this very module, with the driver's
// control functions at hand.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/common/utf8.h"
#include "sim/driver/trace_comparison.h"
#include "sim/tovel/tovel_sim.h"

// bin/drivers/<variant>/ beside the test program (UTF-8, as every path here).
std::string DriverFolder(const char* variant);

// The whole driver's variant: "full", or "cdecl" when the host behaviours
// say the driver's entry points are built cdecl.
const char* WholeDriver();

// What a program says of the tovel.dll it loaded.
struct DriverInfo {
    std::string path;          // UTF-8
    std::string description;   // its version resource's description and version; empty without one
    bool traceDriver = false;  // a trace driver, by its own word (TovelTraceInfo)
    std::string makerPath;     // the driver a trace driver passes the calls to
    std::string tracePath;     // a trace driver's file; empty when it could make none
};

class SimDriver {
public:
    ~SimDriver() { Unload(); }

    // Loads the variant (the whole driver when null) and resets it: no
    // boards, no wiring, no faults. In a traced run (KORVU_TRACE_DRIVER=1)
    // the trace driver goes in front of it, and at the unload its file must
    // hold the simulated driver's transfers, else the host hears of a problem.
    bool Load(const char* variant = nullptr);
    // A simulated driver by its full path, under any file name.
    bool LoadFile(const std::string& path);
    // A tovel.dll as a host loads it: the simulated driver itself, or a trace
    // driver in front of one, whose file is then held against the simulated
    // driver's transfers (TraceDifference after the unload). False, with
    // why, for any other.
    bool LoadInFront(const std::string& path, std::string* error);
    // Drops the program's reference; true when no tovel.dll is loaded any
    // more, that is when nobody else still holds the driver.
    bool Unload();
    // The module that answers as tovel.dll: the trace driver in a traced run.
    HMODULE Module() const { return tracer_ ? tracer_ : dll_; }
    const DriverInfo& Info() const { return info_; }
    // After the unload of a trace driver: empty when its file held every
    // transfer the simulated driver saw, else the first difference.
    const std::string& TraceDifference() const { return traceDifference_; }
    uint64_t TransfersCompared() const { return compared_; }
    // The trace file's note after which nothing more was compared; empty when it was whole.
    const std::string& TraceCutBy() const { return traceCutBy_; }

#define SIM_DRIVER_DECLARE(result, name, parameters) decltype(&::name) name = nullptr;
    TOVEL_SIM_CONTROLS(SIM_DRIVER_DECLARE)
#undef SIM_DRIVER_DECLARE

    // The whole trace, oldest first.
    std::vector<TovelSimTransfer> Trace() const;
    // Takes the oldest transfers out of the trace, as TovelSimTakeTrace does;
    // in a traced run they are held against the trace driver's file.
    uint32_t TakeTrace(TovelSimTransfer* entries, uint32_t most);

private:
    bool Bind(HMODULE dll);
    void EndComparison();
    std::unique_ptr<TraceComparison> comparison_;
    bool problemOnDifference_ = false;  // a test's traced run: a difference is the host's problem
    DWORD lastLook_ = 0;
    std::string traceDifference_, traceCutBy_;
    uint64_t compared_ = 0;
    DriverInfo info_;
    HMODULE dll_ = nullptr;
    HMODULE tracer_ = nullptr;  // the trace driver in front of it, in a traced run
};

// Points the plug-in's bare-name load at one folder for a scope.
class DriverSearchFolder {
public:
    explicit DriverSearchFolder(const char* variant) { SetDllDirectoryW(Widen(DriverFolder(variant)).c_str()); }
    ~DriverSearchFolder() { SetDllDirectoryW(nullptr); }
};

bool DriverLoaded();

// One board at slot 0 whose output ports feed its input ports, nothing else.
void UseDefaultBoard(SimDriver& driver);
// The boards of a board file. With any problem in it nothing changes, and
// `problems` gets each, one per line, with how many there were.
bool UseBoardFile(SimDriver& driver, const std::string& path, std::string* problems);
