// Hosts that differ from the polite one: behaviours the host interface allows
// and a real host may show without meaning anything by it, each with a name,
// switched on for a test, a stress run or the host program.
//
// A behaviour set holds for the whole process until it is changed; ResetHost
// leaves it alone. Calling conventions are read when the plug-in binds and
// when the driver is loaded, so they are set before either.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace sim {

enum HostBehaviour : uint32_t {
    kStopAtOnce = 1u << 0,          // StopExperiment sends every module its run end before it returns
    kWarningsPumpTheRun = 1u << 1,  // ShowWarning runs the host's run (process calls) before it returns
    kServicesPumpTheRun = 1u << 2,  // so does every host service
    kDialogPump = 1u << 3,          // ChangeModuleSize sends open dialogs queued commands
    kStdcallServices = 1u << 4,     // the host's services pop their own arguments
    kCdeclDriver = 1u << 5,         // the driver's entry points leave their arguments to the caller
    kSelectionMoves = 1u << 6,      // every host service moves the host's current module to another
    kBlockSizeGrows = 1u << 7,      // the block size outgrows the run's blocks at every process call
};

struct NamedBehaviour {
    const char* name;
    const char* what;
};

// Every name that SetHostBehaviours takes, the floating-point environments
// among them, with what each does.
std::vector<NamedBehaviour> HostBehaviourNames();

// A comma-separated list of names; "" or "none" is the polite host. On an
// unknown name, or two floating-point environments, nothing changes and
// `error` says why.
bool SetHostBehaviours(const std::string& names, std::string* error);
std::string HostBehaviours();  // the names in force, "none" for the polite host
bool Behaving(HostBehaviour behaviour);

// Behaviours for a scope: the earlier set comes back at its end.
class HostBehaviourScope {
public:
    explicit HostBehaviourScope(const std::string& names);
    ~HostBehaviourScope();
    bool Valid() const { return valid_; }

private:
    std::string earlier_;
    bool valid_;
};

}  // namespace sim
