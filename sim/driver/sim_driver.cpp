#include "sim/driver/sim_driver.h"

#include "sim/driver/traced_driver.h"

#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/host/host_behaviour.h"
#include "sim/host/sim_host.h"

namespace {

// How often, at most, a traced run reads on in the trace file: the writer
// has written by then, and reading each host call would cost more than it.
const DWORD kLookEveryMs = 100;

typedef int32_t(TOVEL_CALL* TovelTraceInfoFn)(wchar_t* maker, wchar_t* trace, uint32_t chars);

// "description, version" from the file's version resource; empty without one.
std::string VersionDescription(const std::wstring& path)
{
    DWORD unused = 0;
    std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), &unused));
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        return std::string();
    const DWORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        return std::string();
    wchar_t block[64];
    wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", LOWORD(*translation), HIWORD(*translation));
    auto value = [&](const wchar_t* name) {
        const wchar_t* text = nullptr;
        UINT n = 0;
        return VerQueryValueW(data.data(), (std::wstring(block) + name).c_str(), (void**)&text, &n) && n
                   ? Narrow(text)
                   : std::string();
    };
    const std::string description = value(L"FileDescription"), version = value(L"FileVersion");
    return version.empty() ? description : description + ", version " + version;
}

}  // namespace

std::string DriverFolder(const char* variant)
{
    return PathBesideProgram("drivers\\") + variant;
}

const char* WholeDriver()
{
    return sim::Behaving(sim::kCdeclDriver) ? "cdecl" : "full";
}

bool DriverLoaded()
{
    return GetModuleHandleA("tovel.dll") != nullptr;
}

bool SimDriver::Load(const char* variant)
{
    variant = variant ? variant : WholeDriver();
    if (!TracedRun(variant))
        return LoadFile(DriverFolder(variant) + "\\tovel.dll");
    std::string error;
    const std::string folder = PrepareTracedFolder(variant, TracedCsvPath());
    if (!LoadInFront(folder + "\\tovel.dll", &error))
        return false;
    problemOnDifference_ = true;
    return true;
}

bool SimDriver::LoadFile(const std::string& path)
{
    Unload();
    const bool bound = Bind(LoadLibraryW(Widen(path).c_str()));
    info_ = DriverInfo();
    info_.path = path;
    info_.description = VersionDescription(Widen(path));
    return bound;
}

// The trace driver first, so that the plug-in's load by bare name finds it;
// the simulated driver behind it, for the controls.
bool SimDriver::LoadInFront(const std::string& path, std::string* error)
{
    Unload();
    HMODULE front = LoadLibraryW(Widen(path).c_str());
    if (!front) {
        *error = path + " could not be loaded (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    info_ = DriverInfo();
    info_.path = ModulePath(front);
    info_.description = VersionDescription(Widen(info_.path));
    const TovelTraceInfoFn describe = ProcAddress<TovelTraceInfoFn>(front, "TovelTraceInfo");
    if (!describe) {
        if (Bind(front))
            return true;
        *error = path + " is neither the simulated driver nor a trace driver in front of one: this program "
                        "drives the simulated board through the simulated driver's controls";
        Unload();
        return false;
    }
    wchar_t maker[MAX_PATH] = L"", trace[MAX_PATH] = L"";
    describe(maker, trace, MAX_PATH);
    info_.traceDriver = true;
    info_.makerPath = Narrow(maker);
    info_.tracePath = Narrow(trace);
    tracer_ = front;
    if (!maker[0] || !Bind(LoadLibraryW(maker))) {
        *error = path + " is a trace driver whose maker's driver " +
                 (maker[0] ? info_.makerPath + " is not the simulated driver" : std::string("could not be bound")) +
                 " (see its trace file, " + (trace[0] ? info_.tracePath : std::string("none")) + ")";
        Unload();
        return false;
    }
    if (trace[0])
        comparison_.reset(new TraceComparison(info_.tracePath));
    return true;
}

bool SimDriver::Bind(HMODULE dll)
{
    dll_ = dll;
    if (!dll_)
        return false;
    // Every control must be there: a driver built from another list is refused.
    bool bound = true;
#define SIM_DRIVER_BIND(result, name, parameters) \
    name = ProcAddress<decltype(name)>(dll_, #name); \
    bound = bound && name;
    TOVEL_SIM_CONTROLS(SIM_DRIVER_BIND)
#undef SIM_DRIVER_BIND
    if (!bound)
        return false;
    TovelSimReset();
    return true;
}

// The trace driver is gone with its file written, unless the plug-in still
// holds it: then the file is whole, and its last lines are held against
// what the simulated driver saw.
void SimDriver::EndComparison()
{
    if (!comparison_ || DriverLoaded())
        return;
    traceDifference_ = comparison_->Finish(0);
    compared_ = comparison_->Compared();
    traceCutBy_ = comparison_->CutBy();
    if (problemOnDifference_ && !traceDifference_.empty())
        sim::ReportProblem("trace driver: " + traceDifference_);  // the file stays, to be looked at
    else if (problemOnDifference_)
        DeleteFileW(Widen(comparison_->Path()).c_str());
    comparison_.reset();
}

bool SimDriver::Unload()
{
    if (comparison_ && dll_) {
        const std::vector<TovelSimTransfer> rest = Trace();
        comparison_->Add(rest.data(), static_cast<uint32_t>(rest.size()));
    }
    if (dll_) {
        FreeLibrary(dll_);
        dll_ = nullptr;
    }
    if (tracer_) {
        FreeLibrary(tracer_);
        tracer_ = nullptr;
        EndComparison();
    }
    return !DriverLoaded();
}

std::vector<TovelSimTransfer> SimDriver::Trace() const
{
    std::vector<TovelSimTransfer> trace(TovelSimTraceLength());
    for (uint32_t i = 0; i < trace.size(); ++i)
        TovelSimTraceEntry(i, &trace[i]);
    return trace;
}

uint32_t SimDriver::TakeTrace(TovelSimTransfer* entries, uint32_t most)
{
    const uint32_t n = TovelSimTakeTrace(entries, most);
    if (comparison_) {
        comparison_->Add(entries, n);
        if (GetTickCount() - lastLook_ >= kLookEveryMs) {
            comparison_->Look();
            lastLook_ = GetTickCount();
        }
    }
    return n;
}

void UseDefaultBoard(SimDriver& driver)
{
    driver.TovelSimReset();
    driver.TovelSimSetBoard(0, 1, 0x300, 16, 0x0);
    driver.TovelSimWire(0, 0, 0, 0);
    driver.TovelSimWire(0, 1, 0, 1);
}

bool UseBoardFile(SimDriver& driver, const std::string& path, std::string* problems)
{
    std::vector<char> text(16384);
    const uint32_t found = driver.TovelSimCheckIni(path.c_str(), text.data(), static_cast<uint32_t>(text.size()));
    if (found > 0) {
        *problems = std::string(text.data()) + std::to_string(found) + " problem(s) in the board file";
        return false;
    }
    if (!driver.TovelSimLoadIni(path.c_str())) {
        *problems = path + ": cannot be read";
        return false;
    }
    return true;
}
