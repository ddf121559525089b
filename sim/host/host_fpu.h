// The host's x87 unit as the plug-in meets it.
//
// A host process leaves the unit as its start-up code and libraries set it:
// any precision, any rounding, exceptions unmasked, flags already raised.
// The simulator gives the plug-in the environment the behaviours chose at
// every call into it and checks, when the call returns and whenever the
// plug-in calls the host, that the control and status words are exactly
// what the plug-in was given. Between those points the host's own code (the
// services, the harness, the tests) runs under the environment it had, so
// that its arithmetic never meets the plug-in's host.
#pragma once

#include <stdint.h>

#include <vector>

namespace sim {

struct FpuEnvironment {
    const char* name;      // as SetHostBehaviours takes it
    uint16_t control;      // x87 control word; 0 for the process's own, left as found
    uint16_t flags;        // exception flags already set in the status word
    const char* what;
};

// The table the behaviours draw from; the first is the process's own.
const std::vector<FpuEnvironment>& FpuEnvironments();
const FpuEnvironment* FindFpuEnvironment(const char* name);

// The x87 control word this process's start-up left, which the plug-in
// gets without an environment of its own.
uint16_t ProcessControlWord();

// The environment the plug-in gets from now on; null for the process's own.
void UseFpuEnvironment(const FpuEnvironment* environment);
const FpuEnvironment* FpuEnvironmentInUse();

// How much of the environment a call must give back as it was given. The
// plug-in's own code changes nothing; but a call that opens dialogs or
// builds menus runs the window system's code, which may raise flags it has
// masked (Wine's raises the precision flag), as it would in the host's own
// dialogs. There the control word must still be exact, and no flag may be
// raised that the host left unmasked.
enum Exactness { kControlAndStatus, kControlAndUnmaskedFlags };

// The host calls into the plug-in for this scope: the plug-in gets the
// chosen environment, and must give it back unchanged.
class IntoPlugin {
public:
    IntoPlugin(const char* what, Exactness exactness, uint32_t code = 0xFFFFFFFFu);
    ~IntoPlugin();
    IntoPlugin(const IntoPlugin&) = delete;
    IntoPlugin& operator=(const IntoPlugin&) = delete;

private:
    friend class BackInHost;
    uint8_t harness_[28];  // the environment of the host's own code
    uint8_t given_[28];    // what the plug-in was given
    const char* what_;
    Exactness exactness_;
    uint32_t code_;
    IntoPlugin* outer_;
    bool outerInPlugin_;   // the plug-in's code ran when this call began
};

// The host's own code runs for this scope inside a call into the plug-in (a
// host service the plug-in called, a step of a dialog script): it finds the
// environment the plug-in was given and runs under the host code's own.
class BackInHost {
public:
    explicit BackInHost(const char* what);
    ~BackInHost();
    BackInHost(const BackInHost&) = delete;
    BackInHost& operator=(const BackInHost&) = delete;

private:
    uint8_t entry_[28];
    IntoPlugin* call_;     // the call it interrupts; null outside one
};

}  // namespace sim
