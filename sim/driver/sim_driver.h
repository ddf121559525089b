// The simulated tovel.dll as the host side holds it (tests, benchmarks, the
// host program): loaded by path from its variant's folder, so that the
// plug-in's load by bare name finds this very module, with the driver's
// control functions at hand.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sim/common/utf8.h"
#include "sim/tovel/tovel_sim.h"

// bin/drivers/<variant>/ beside the test program (UTF-8, as every path here).
std::string DriverFolder(const char* variant);

// The whole driver's variant: "full", or "cdecl" when the host behaviours
// say the driver's entry points are built cdecl.
const char* WholeDriver();

class SimDriver {
public:
    ~SimDriver() { Unload(); }

    // Loads the variant (the whole driver when null) and resets it: no
    // boards, no wiring, no faults.
    bool Load(const char* variant = nullptr);
    // A simulated driver by its full path, under any file name.
    bool LoadFile(const std::string& path);
    // Drops the test's reference; true when no tovel.dll is loaded any more,
    // that is when nobody else still holds the driver.
    bool Unload();
    // The module that answers as tovel.dll: the trace driver in a traced run.
    HMODULE Module() const { return tracer_ ? tracer_ : dll_; }

#define SIM_DRIVER_DECLARE(result, name, parameters) decltype(&::name) name = nullptr;
    TOVEL_SIM_CONTROLS(SIM_DRIVER_DECLARE)
#undef SIM_DRIVER_DECLARE

    // The whole trace, oldest first.
    std::vector<TovelSimTransfer> Trace() const;
    // Takes the oldest transfers out of the trace, as TovelSimTakeTrace does;
    // in a traced run they are kept to hold the trace driver's file against.
    uint32_t TakeTrace(TovelSimTransfer* entries, uint32_t most);

private:
    bool Bind(HMODULE dll);
    std::vector<TovelSimTransfer> taken_;
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
