// A host as the host recorder profiled it (recorder/profile.h), turned into
// the simulator's named behaviours as far as they go: the conventions of its
// services, its x87 environment, a stop carried out at once, warnings,
// size changes and other services that run its loop. What no behaviour can
// be is said, so that nobody takes the simulated host for more than it is.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct HostProfile {
    std::string behaviours;                 // for SetHostBehaviours; "none" for the polite host
    std::vector<std::string> notReproduced;
};

// Reads the profile's findings (its lines up to the first blank one).
// False, with `error`, for a file that cannot be read or holds no findings.
bool ReadHostProfile(const std::string& path, HostProfile* profile, std::string* error);

}  // namespace sim
