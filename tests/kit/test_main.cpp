// Every test program's main: a problem the host simulator sees fails the
// running test, under its own name.

#include <gtest/gtest.h>

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
    sim::SetProblemHandler(FailTest);
    sim::StartHost();
    return RUN_ALL_TESTS();
}
