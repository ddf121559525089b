#include "sim/program/host_session.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/driver/traced_driver.h"

namespace {

// The driver names the file by its Windows path; the user knows it by theirs.
std::string InUserPaths(std::string text, const std::string& windowsPath)
{
    const std::string shown = UnixPath(windowsPath);
    for (size_t at = text.find(windowsPath); !shown.empty() && at != std::string::npos;
         at = text.find(windowsPath, at + shown.size()))
        text.replace(at, windowsPath.size(), shown);
    return text;
}

// The trace driver in front of the simulated one, in a folder of its own in
// the output folder: its settings there, its trace file beside the report.
bool TracedFolder(const HostOptions& options, std::string* front, std::string* error)
{
    const std::filesystem::path folder(Widen(options.outDir + "\\trace-driver"));
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    const struct {
        std::string from;
        const wchar_t* to;
    } copies[] = {{PathBesideProgram("trace-driver\\tovel.dll"), L"tovel.dll"},
                  {DriverFolder(WholeDriver()) + "\\tovel.dll", L"tovel_maker.dll"}};
    for (const auto& c : copies) {
        if (!CopyFileW(Widen(c.from).c_str(), (folder / c.to).c_str(), FALSE)) {
            *error = "KORVU_TRACE_DRIVER=1: cannot put " + c.from + " into " + Narrow(folder.wstring());
            return false;
        }
    }
    std::ofstream(folder / "tovel_trace.ini", std::ios::binary)
        << TracedSettings(options.outDir + "\\" + kTraceFileName);
    *front = Narrow((folder / "tovel.dll").wstring());
    return true;
}

bool LoadChosenDriver(SimDriver& driver, const HostOptions& options, std::string* error)
{
    std::string front = options.driver;
    const std::string beside = PathBesideProgram("tovel.dll");
    if (front.empty() && GetFileAttributesW(Widen(beside).c_str()) != INVALID_FILE_ATTRIBUTES)
        front = beside;
    if (front.empty() && TracedRun(WholeDriver()) && !TracedFolder(options, &front, error))
        return false;
    if (!front.empty())
        return driver.LoadInFront(front, error);
    if (!driver.LoadFile(DriverFolder(WholeDriver()) + "\\tovel.dll")) {
        *error = "cannot load the simulated driver from " + DriverFolder(WholeDriver());
        return false;
    }
    return true;
}

}  // namespace

const char kTraceFileName[] = "tovel_trace.csv";

bool HostSession::LoadDriver(const HostOptions& options, std::string* error)
{
    if (!LoadChosenDriver(driver, options, error))
        return false;
    // Loading resets the driver; the boards are read again here, in the
    // documented order.
    std::string ini = options.ini;
    wchar_t named[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"TOVEL_SIM_INI", named, MAX_PATH);
    if (ini.empty() && n > 0 && n < MAX_PATH)
        ini = Narrow(named);
    const std::string beside = PathBesideProgram("tovel.ini");
    if (ini.empty() && GetFileAttributesW(Widen(beside).c_str()) != INVALID_FILE_ATTRIBUTES)
        ini = beside;
    boardFile = ini;
    boardFileShown = AsTheUserKnowsIt(ini);
    std::string problems;
    if (ini.empty()) {
        UseDefaultBoard(driver);
    } else if (!UseBoardFile(driver, ini, &problems)) {
        *error = InUserPaths(problems, ini) + "; nothing was run";
        return false;
    }
    // The largest host call's transfers, whatever --trace-limit keeps of them:
    // a trace driver's file is held against every one.
    driver.TovelSimSetTraceLimit(kTransfersOfTheLargestCall);
    if (options.failAfterWrites > 0)
        driver.TovelSimInjectFault(options.slot, kTovelSimFailOutPort, options.failAfterWrites + 1, 1, 77);
    return true;
}

bool HostSession::LoadPlugin(const HostOptions& options, std::string* error)
{
    const std::string path = options.plugin.empty() ? PathBesideProgram("Korvu_ux1.dll") : options.plugin;
    if (!sim::LoadPlugin(path.c_str(), &plugin)) {
        *error = "cannot load " + path + " with its three exports";
        return false;
    }
    setupResult = plugin.setup(sim::HostWindow());
    return true;
}

void HostSession::Finish()
{
    if (plugin.dll) {
        plugin.finish(0);
        sim::UnloadPlugin(&plugin);
    }
    driver.Unload();
}

const ModuleClassDescriptor* HostSession::Class(const char* name) const
{
    return sim::RegisteredClass(name);
}

void ReportDriver(const HostSession& session, Report& report)
{
    const DriverInfo& d = session.driver.Info();
    report("Driver: %s (%s)\n", AsTheUserKnowsIt(d.path).c_str(),
           d.description.empty() ? "no version resource" : d.description.c_str());
    if (d.traceDriver)
        report("  a trace driver in front of %s, its trace file %s\n", AsTheUserKnowsIt(d.makerPath).c_str(),
               d.tracePath.empty() ? "none (it could make none)" : AsTheUserKnowsIt(d.tracePath).c_str());
}

std::string ReportTraceComparison(const HostSession& session, Report& report)
{
    const DriverInfo& d = session.driver.Info();
    if (!d.traceDriver || d.tracePath.empty())
        return std::string();
    const std::string& difference = session.driver.TraceDifference();
    report("Trace file %s: %llu transfers held against the simulated driver's record, %s\n",
           AsTheUserKnowsIt(d.tracePath).c_str(), static_cast<unsigned long long>(session.driver.TransfersCompared()),
           difference.empty() ? "every one alike" : "and not alike (below)");
    if (!session.driver.TraceCutBy().empty())
        report("  then the file says \"%s\": nothing after it was compared\n", session.driver.TraceCutBy().c_str());
    return difference;
}
