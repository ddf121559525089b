#include "sim/driver/traced_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "sim/common/utf8.h"
#include "sim/driver/sim_driver.h"

namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, ',');)
        fields.push_back(f);
    if (!line.empty() && line.back() == ',')
        fields.push_back("");
    return fields;
}

uint32_t Number(const std::string& text)
{
    return static_cast<uint32_t>(strtoul(text.c_str(), nullptr, 0));
}

}  // namespace

bool TracedRun(const char* variant)
{
    const char* traced = getenv("KORVU_TRACE_DRIVER");
    return traced && strcmp(traced, "1") == 0 && (strcmp(variant, "full") == 0 || strcmp(variant, "cdecl") == 0);
}

std::string TracedCsvPath()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return Narrow(temp) + "korvu_traced_" + std::to_string(GetCurrentProcessId()) + ".csv";
}

std::string PrepareTracedFolder(const char* variant)
{
    const std::string folder = DriverFolder((std::string("traced-") + variant).c_str());
    // A ring that no test fills, written out often.
    const std::string ini = "[trace]\r\nfile=" + TracedCsvPath() + "\r\nring=1048576\r\nflush_ms=20\r\n";
    std::ofstream(std::filesystem::path(Widen(folder + "\\tovel_trace.ini")), std::ios::binary) << ini;
    DeleteFileW(Widen(TracedCsvPath()).c_str());  // an earlier load's: this one's starts at its first call
    return folder;
}

std::string CompareTrace(const std::string& csvPath, const std::vector<TovelSimTransfer>& transfers,
                         uint32_t droppedBySimulator)
{
    std::ifstream csv{std::filesystem::path(Widen(csvPath))};
    if (!csv)  // never called, so never started
        return transfers.empty() ? std::string() : "the trace driver wrote no file " + csvPath;
    // Thread by thread: calls of different threads that no lock keeps apart
    // may reach the two drivers' records in either order.
    std::map<uint32_t, std::deque<const TovelSimTransfer*>> unseen;
    for (const TovelSimTransfer& t : transfers)
        unseen[t.threadId].push_back(&t);
    std::map<uint32_t, const TovelSimTransfer*> failed;  // each thread's last transfer, when it failed
    std::string line;
    int number = 0;
    while (std::getline(csv, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("# dropped", 0) == 0)
            return std::string();  // the rest is not all there: what was is equal
        if (number == 1 || line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Fields(line);
        const std::string where = csvPath + ":" + std::to_string(number) + ": ";
        if (f.size() != 11)
            return where + "not 11 columns: " + line;
        const std::string& entry = f[4];
        const uint32_t thread = Number(f[3]);
        const TovelSimTransfer*& lastFailed = failed[thread];
        if (entry == "TovelGetLastError" && lastFailed) {
            if (static_cast<int32_t>(strtol(f[10].c_str(), nullptr, 10)) != lastFailed->error)
                return where + "TovelGetLastError gave " + f[10] + ", the simulated driver's error was " +
                       std::to_string(lastFailed->error);
            lastFailed = nullptr;
        }
        if (entry != "TovelOutPort" && entry != "TovelInPort")
            continue;
        std::deque<const TovelSimTransfer*>& mine = unseen[thread];
        if (mine.empty())
            return droppedBySimulator ? std::string() : where + "a transfer the simulated driver did not see: " + line;
        const TovelSimTransfer& t = *mine.front();
        mine.pop_front();
        const bool out = entry == "TovelOutPort";
        const bool same = Number(f[5]) == t.slot && Number(f[6]) == t.port && out == (t.direction == 0) &&
                          static_cast<int32_t>(strtol(f[9].c_str(), nullptr, 10)) == t.result &&
                          ((out || t.result) ? Number(f[8]) == t.value : true);  // a failed read has no byte
        if (!same) {
            char sim[160];
            snprintf(sim, sizeof sim, "slot %u, port %u, %s, value 0x%02X, result %d", t.slot, t.port,
                     t.direction ? "in" : "out", t.value, t.result);
            return where + line + " is transfer " + std::to_string(t.sequence) + " of the simulated driver: " + sim;
        }
        lastFailed = t.result ? nullptr : &t;
    }
    for (const auto& thread : unseen)
        if (!thread.second.empty())
            return "the simulated driver saw transfer " + std::to_string(thread.second.front()->sequence) +
                   " (thread " + std::to_string(thread.first) + "), " + csvPath + " does not hold it";
    return std::string();
}
