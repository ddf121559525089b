// Every test program's main: a problem the host simulator sees fails the
// running test, under its own name. KORVU_HOST_BEHAVIOUR names host
// behaviours for the whole run (as korvu_host --host-behaviour takes them).

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "sim/host/host_behaviour.h"
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
    if (const char* behaviours = getenv("KORVU_HOST_BEHAVIOUR")) {
        std::string error;
        if (!sim::SetHostBehaviours(behaviours, &error)) {
            printf("KORVU_HOST_BEHAVIOUR: %s\n", error.c_str());
            return 2;
        }
        printf("host behaviours: %s\n", sim::HostBehaviours().c_str());
    }
    sim::SetProblemHandler(FailTest);
    sim::StartHost();
    return RUN_ALL_TESTS();
}
