// Proof that a test program which faults fails its CTest run: the second
// test calls through a null function pointer, as a finish without its guard
// once did. CTest expects this program's run to be judged an unhandled
// exception; the third test never runs.

#include <gtest/gtest.h>

namespace {

typedef int (*Entry)(int);
Entry volatile g_entry = nullptr;

}  // namespace

TEST(DeliberateCrash, RunsBeforeTheFault)
{
    EXPECT_EQ(nullptr, g_entry);
}

TEST(DeliberateCrash, CallsThroughANullPointer)
{
    EXPECT_EQ(0, g_entry(1));
}

TEST(DeliberateCrash, NeverRuns)
{
    SUCCEED();
}
