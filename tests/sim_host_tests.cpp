// The host simulator's own promises, on which every other test leans.

#include <gmock/gmock.h>

#include "sim/host/host_services_impl.h"
#include "sim/host/sim_host.h"

namespace {

DWORD Protection(const void* address)
{
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(address, &info, sizeof info);
    return info.Protect;
}

std::vector<std::string> g_seen;

void Collect(const std::string& what) { g_seen.push_back(what); }

// Swaps the failing handler for a collecting one while a test provokes problems.
struct CollectProblems {
    CollectProblems() { g_seen.clear(); sim::SetProblemHandler(Collect); }
    ~CollectProblems();
};

void FailTest(const std::string& what) { ADD_FAILURE() << "host simulator: " << what; }
CollectProblems::~CollectProblems() { sim::SetProblemHandler(FailTest); sim::TakeProblems(); }

}  // namespace

TEST(GuardedMemory, LastByteTouchesANoAccessPage)
{
    for (size_t size : {1u, 13u, 236u, 368u, 4096u, 5000u}) {
        uint8_t* block = static_cast<uint8_t*>(sim::GuardedAlloc(size));
        ASSERT_NE(nullptr, block);
        EXPECT_EQ(static_cast<DWORD>(PAGE_READWRITE), Protection(block)) << size;
        EXPECT_EQ(static_cast<DWORD>(PAGE_READWRITE), Protection(block + size - 1)) << size;
        EXPECT_EQ(static_cast<DWORD>(PAGE_NOACCESS), Protection(block + size)) << size;
        sim::GuardedFree(block);
    }
}

// A block handed back is kept from use either way: sealed, or patterned and
// checked when it is handed out again (a region from a freed block too).
TEST(GuardedMemory, AWriteAfterReleaseIsCaughtSealedOrPatterned)
{
    uint8_t* block = static_cast<uint8_t*>(sim::GuardedAlloc(40));
    sim::GuardedSeal(block, true);
    EXPECT_EQ(static_cast<DWORD>(PAGE_NOACCESS), Protection(block)) << "sealed, the default";
    sim::GuardedSeal(block, false);
    sim::GuardedFree(block);

    sim::SetReleasedBlocks(sim::kPatternReleased);
    {
        CollectProblems collect;
        block = static_cast<uint8_t*>(sim::GuardedAlloc(40));
        sim::GuardedSeal(block, true);
        sim::GuardedSeal(block, false);
        EXPECT_TRUE(g_seen.empty()) << "nothing written meanwhile";
        sim::GuardedSeal(block, true);
        block[39] = 1;  // the plug-in writes after it handed the block back
        sim::GuardedSeal(block, false);
        EXPECT_EQ(1u, g_seen.size());
        sim::GuardedFree(block);
        block[0] = 1;
        uint8_t* again = static_cast<uint8_t*>(sim::GuardedAlloc(40));  // the freed region, kept
        EXPECT_EQ(2u, g_seen.size());
        sim::GuardedFree(again);
    }
    sim::SetReleasedBlocks(sim::kSealReleased);
}

TEST(HostMemory, TracksTagLineAndSizeAndReportsAFreeOfNothing)
{
    sim::ResetHost();
    void* a = sim::HostNewMemAlloc(236, "Tovel_OUT", 353);
    ASSERT_NE(nullptr, a);
    ASSERT_EQ(1u, sim::LiveAllocations().size());
    EXPECT_EQ("Tovel_OUT", sim::LiveAllocations()[0].tag);
    EXPECT_EQ(353, sim::LiveAllocations()[0].line);
    EXPECT_EQ(236u, sim::LiveAllocations()[0].size);

    sim::HostNewDoMemFree(a, "Tovel_OUT", 511);
    EXPECT_TRUE(sim::LiveAllocations().empty());
    {
        CollectProblems collect;
        sim::HostNewDoMemFree(a, "Tovel_OUT", 511);
        EXPECT_EQ(1u, g_seen.size()) << "a second free of the same block is a problem";
    }

    sim::RefuseAllocations(1);
    EXPECT_EQ(nullptr, sim::HostNewMemAlloc(8, "Tovel_OUT", 241));
    void* b = sim::HostNewMemAlloc(8, "Tovel_OUT", 241);
    EXPECT_NE(nullptr, b);
    sim::HostNewDoMemFree(b, "Tovel_OUT", 292);
    sim::ResetHost();
}

TEST(HostLookups, UnusedFunctionsAnswerTrapsThatReportTheirName)
{
    sim::ResetHost();
    uintptr_t trap = sim::PublishedAnswer(30001, "do_fft");
    ASSERT_NE(0u, trap);
    EXPECT_NE(trap, sim::PublishedAnswer(30001, "EditText"));
    {
        CollectProblems collect;
        reinterpret_cast<int32_t(HOST_CALL*)()>(trap)();
        ASSERT_EQ(1u, g_seen.size());
        EXPECT_THAT(g_seen[0], testing::HasSubstr("do_fft"));
    }
    EXPECT_EQ(0u, sim::PublishedAnswer(30001, "NoSuchFunction"));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(sim::MainMenu()), sim::PublishedAnswer(30000, "MainMenu"));
}
