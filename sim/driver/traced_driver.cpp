#include "sim/driver/traced_driver.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "sim/common/utf8.h"
#include "sim/driver/sim_driver.h"

bool TracedRun(const char* variant)
{
    const char* traced = getenv("KORVU_TRACE_DRIVER");
    return traced && strcmp(traced, "1") == 0 && (strcmp(variant, "full") == 0 || strcmp(variant, "cdecl") == 0);
}

std::string TracedSettings(const std::string& traceFile)
{
    return "[trace]\r\nfile=" + traceFile + "\r\nring=65536\r\nfull=wait\r\nflush_ms=20\r\nlimit_kb=0\r\n";
}

std::string TracedCsvPath()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return Narrow(temp) + "korvu_traced_" + std::to_string(GetCurrentProcessId()) + ".csv";
}

std::string PrepareTracedFolder(const char* variant, const std::string& traceFile)
{
    const std::string folder = DriverFolder((std::string("traced-") + variant).c_str());
    std::ofstream(std::filesystem::path(Widen(folder + "\\tovel_trace.ini")), std::ios::binary)
        << TracedSettings(traceFile);
    DeleteFileW(Widen(traceFile).c_str());  // an earlier load's: this one's starts at its first call
    return folder;
}
