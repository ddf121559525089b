#include "sim/host/host_profile.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "sim/common/numbers.h"
#include "sim/common/utf8.h"
#include "sim/host/host_fpu.h"

namespace sim {

namespace {

// "key: value  (why: calls ...)" as key and value.
std::map<std::string, std::string> Findings(std::ifstream& in)
{
    std::map<std::string, std::string> findings;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            break;
        const size_t colon = line.find(": ");
        if (line[0] == '#' || colon == std::string::npos)
            continue;
        const size_t end = line.find("  (", colon);
        findings[line.substr(0, colon)] = line.substr(colon + 2, end == std::string::npos ? end : end - colon - 2);
    }
    return findings;
}

uint32_t Hex(const std::string& text)
{
    int64_t value = 0;
    std::string problem;
    return ReadWhole(text, WholeRange{0, 0xFFFF, Digits::kDecimalOrHex}, &value, &problem)
               ? static_cast<uint32_t>(value)
               : 0xFFFFFFFFu;
}

void Add(std::string& names, const char* name)
{
    names += std::string(names.empty() ? "" : ",") + name;
}

// The x87 environment: none of its own where the control word is the
// process's (the status flags are then whatever the host's own code raised),
// else the named one with that control word and flags, else the one with
// that control word.
void Fpu(const std::map<std::string, std::string>& f, HostProfile* profile, std::string& names)
{
    auto control = f.find("x87 control word");
    auto flags = f.find("x87 status flags");
    if (control == f.end())
        return;
    const uint32_t word = Hex(control->second), raised = flags == f.end() ? 0 : Hex(flags->second);
    if (word == ProcessControlWord())
        return;
    const FpuEnvironment* found = nullptr;
    for (const FpuEnvironment& e : FpuEnvironments()) {
        if (e.control == word && (e.flags == raised || (!found && e.flags == 0)))
            found = &e;
    }
    if (found)
        Add(names, found->name);
    else
        profile->notReproduced.push_back("x87 control word " + control->second + ": no named environment has it");
}

}  // namespace

bool ReadHostProfile(const std::string& path, HostProfile* profile, std::string* error)
{
    std::ifstream in{std::filesystem::path(Widen(path))};
    if (!in) {
        *error = path + ": cannot be read";
        return false;
    }
    const std::map<std::string, std::string> f = Findings(in);
    if (f.find("services") == f.end()) {
        *error = path + ": no findings (is it a host recorder's profile?)";
        return false;
    }
    std::string names;
    const auto is = [&f](const char* key, const char* value) {
        auto at = f.find(key);
        return at != f.end() && at->second == value;
    };
    if (is("services", "stdcall"))
        Add(names, "stdcall-services");
    if (is("services", "mixed"))
        profile->notReproduced.push_back("services of both conventions: the simulated host's are all of one");
    Fpu(f, profile, names);
    if (is("stop experiment", "at once"))
        Add(names, "stop-at-once");
    if (is("other services", "pump the run"))
        Add(names, "services-pump");  // ShowWarning among them
    else if (is("warnings", "pump the run"))
        Add(names, "warnings-pump");
    if (is("size changes", "pump the dialogs"))
        Add(names, "dialog-pump");
    auto threads = f.find("process threads");
    if (threads != f.end() && Hex(threads->second) > 1 && Hex(threads->second) != 0xFFFFFFFFu)
        profile->notReproduced.push_back("process calls from " + threads->second +
                                         " threads: the simulated host makes them all on one");
    profile->behaviours = names.empty() ? "none" : names;
    return true;
}

}  // namespace sim
