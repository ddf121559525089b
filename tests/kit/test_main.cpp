// Every test program's main: a problem the host simulator sees fails the
// running test, under its own name. KORVU_HOST_BEHAVIOUR names host
// behaviours for the whole run (as korvu_host --host-behaviour takes them);
// KORVU_HOST_PROFILE names a host recorder's profile to become instead (as
// korvu_host --host-profile).

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "sim/host/host_behaviour.h"
#include "sim/host/host_profile.h"
#include "sim/host/sim_host.h"

namespace {

void FailTest(const std::string& what)
{
    ADD_FAILURE() << "host simulator: " << what;
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string behaviours, error;
    if (const char* named = getenv("KORVU_HOST_BEHAVIOUR"))
        behaviours = named;
    if (const char* path = getenv("KORVU_HOST_PROFILE")) {
        sim::HostProfile profile;
        if (!sim::ReadHostProfile(path, &profile, &error)) {
            printf("KORVU_HOST_PROFILE: %s\n", error.c_str());
            return 2;
        }
        behaviours = profile.behaviours;
        for (const std::string& finding : profile.notReproduced)
            printf("host profile, not reproduced: %s\n", finding.c_str());
    }
    if (!behaviours.empty()) {
        if (!sim::SetHostBehaviours(behaviours, &error)) {
            printf("host behaviours: %s\n", error.c_str());
            return 2;
        }
        printf("host behaviours: %s\n", sim::HostBehaviours().c_str());
    }
    sim::SetProblemHandler(FailTest);
    sim::StartHost();
    return RUN_ALL_TESTS();
}
