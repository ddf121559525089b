#include "sim/host/host_behaviour.h"

#include <string.h>

#include <sstream>

#include "sim/host/host_fpu.h"

namespace sim {

namespace {

struct Behaviour {
    HostBehaviour flag;
    const char* name;
    const char* what;
};

const Behaviour kBehaviours[] = {
    {kStopAtOnce, "stop-at-once", "StopExperiment sends every module its run end (107) before it returns"},
    {kWarningsPumpTheRun, "warnings-pump",
     "ShowWarning pumps messages, as a message box does: the host's run calls every process function"},
    {kServicesPumpTheRun, "services-pump", "every host service does the same before it returns"},
    {kDialogPump, "dialog-pump",
     "ChangeModuleSize hands the open dialogs what a pumped queue may hold: less, more, copy the name, "
     "a channel press, OK and Cancel"},
    {kStdcallServices, "stdcall-services", "the host's services are built stdcall: they pop their own arguments"},
    {kCdeclDriver, "cdecl-driver", "the driver's entry points are built cdecl: the caller pops the arguments"},
    {kSelectionMoves, "selection-moves",
     "every host service moves the host's current module to the next module, or to none, as a timer or "
     "another module's dialog may while a settings dialog is open"},
    {kBlockSizeGrows, "block-size-grows",
     "in every process call uiGlobalBlockSize is larger than the run's blocks (by 1, then by 65536, in turn): "
     "the blocks keep the size the module's run was prepared with"},
};

uint32_t g_behaviours;

std::vector<std::string> Split(const std::string& names)
{
    std::vector<std::string> parts;
    std::stringstream in(names);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(part);
    return parts;
}

}  // namespace

std::vector<NamedBehaviour> HostBehaviourNames()
{
    std::vector<NamedBehaviour> names;
    for (const Behaviour& b : kBehaviours)
        names.push_back(NamedBehaviour{b.name, b.what});
    for (const FpuEnvironment& e : FpuEnvironments())
        names.push_back(NamedBehaviour{e.name, e.what});
    return names;
}

bool SetHostBehaviours(const std::string& names, std::string* error)
{
    uint32_t behaviours = 0;
    const FpuEnvironment* environment = nullptr;
    for (const std::string& name : Split(names == "none" ? std::string() : names)) {
        const Behaviour* found = nullptr;
        for (const Behaviour& b : kBehaviours)
            found = name == b.name ? &b : found;
        if (found) {
            behaviours |= found->flag;
        } else if (const FpuEnvironment* e = FindFpuEnvironment(name.c_str())) {
            if (environment) {
                *error = "'" + name + "': one floating-point environment at a time, and '" + environment->name +
                         "' is already chosen";
                return false;
            }
            environment = e;
        } else {
            *error = "'" + name + "': no such host behaviour";
            return false;
        }
    }
    g_behaviours = behaviours;
    UseFpuEnvironment(environment);
    return true;
}

std::string HostBehaviours()
{
    std::string names;
    for (const Behaviour& b : kBehaviours) {
        if (g_behaviours & b.flag)
            names += std::string(names.empty() ? "" : ",") + b.name;
    }
    if (const FpuEnvironment* e = FpuEnvironmentInUse())
        names += std::string(names.empty() ? "" : ",") + e->name;
    return names.empty() ? "none" : names;
}

bool Behaving(HostBehaviour behaviour)
{
    return (g_behaviours & behaviour) != 0;
}

HostBehaviourScope::HostBehaviourScope(const std::string& names) : earlier_(HostBehaviours())
{
    std::string error;
    valid_ = SetHostBehaviours(names, &error);
}

HostBehaviourScope::~HostBehaviourScope()
{
    std::string error;
    SetHostBehaviours(earlier_, &error);
}

}  // namespace sim
