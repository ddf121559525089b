// The board lock: transfers from many threads never overlap inside the driver.

#include <gmock/gmock.h>

#include <thread>
#include <vector>

#include "board/board_table.h"
#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/driver/sim_driver.h"

namespace {

const int kTransfersPerThread = 5000;

struct Worker {
    uint32_t slot;
    uint32_t port;
    DWORD threadId = 0;
};

// Writes 0, 1, 2 ... (mod 256) to its port, reading it back in between.
void Hammer(Worker* w, int32_t (*write)(uint32_t, uint32_t, uint8_t), int32_t (*read)(uint32_t, uint32_t))
{
    w->threadId = GetCurrentThreadId();
    for (int i = 0; i < kTransfersPerThread; ++i) {
        write(w->slot, w->port, static_cast<uint8_t>(i));
        read(w->slot, w->port);
    }
}

int32_t LockedWrite(uint32_t slot, uint32_t port, uint8_t value)
{
    return BoardPortIO(slot, port, kPortWrite, &value);
}

int32_t LockedRead(uint32_t slot, uint32_t port)
{
    uint8_t value;
    return BoardPortIO(slot, port, kPortRead, &value);
}

TovelOutPortFn g_rawOut;
TovelInPortFn g_rawIn;

int32_t RawWrite(uint32_t slot, uint32_t port, uint8_t value) { return g_rawOut(slot, port, value); }

int32_t RawRead(uint32_t slot, uint32_t port)
{
    uint8_t value;
    return g_rawIn(slot, port, &value);
}

std::vector<Worker> RunWorkers(int32_t (*write)(uint32_t, uint32_t, uint8_t), int32_t (*read)(uint32_t, uint32_t))
{
    // Two threads on ports of their own, two sharing one port.
    std::vector<Worker> workers = {{0, 0}, {1, 1}, {2, 0}, {2, 0}};
    std::vector<std::thread> threads;
    for (Worker& w : workers)
        threads.emplace_back(Hammer, &w, write, read);
    for (std::thread& t : threads)
        t.join();
    return workers;
}

class BoardLockTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.Load());
        for (uint32_t s = 0; s < 4; ++s)
            driver_.TovelSimSetBoard(s, 1, 0x300 + 0x20 * s, 16, s);
        driver_.TovelSimSetDwell(1);  // each transfer yields once inside the driver
        ASSERT_EQ(1, InitBoardTable());
    }
    void TearDown() override { ExitBoardTable(); }
    SimDriver driver_;
};

}  // namespace

TEST_F(BoardLockTest, TransfersFromManyThreadsNeverOverlapAndKeepEachThreadsOrder)
{
    std::vector<Worker> workers = RunWorkers(LockedWrite, LockedRead);

    EXPECT_EQ(0u, driver_.TovelSimOverlaps());
    EXPECT_EQ(1u, driver_.TovelSimMaxConcurrent());

    std::vector<TovelSimTransfer> trace = driver_.Trace();
    ASSERT_EQ(workers.size() * 2 * kTransfersPerThread, trace.size());
    for (const Worker& w : workers) {
        std::vector<uint32_t> written;
        for (const TovelSimTransfer& t : trace) {
            if (t.threadId == w.threadId && t.direction == 0) {
                EXPECT_EQ(w.slot, t.slot);
                EXPECT_EQ(w.port, t.port);
                EXPECT_EQ(1, t.result);
                written.push_back(t.value);
            }
        }
        ASSERT_EQ(static_cast<size_t>(kTransfersPerThread), written.size()) << "thread " << w.threadId;
        for (int i = 0; i < kTransfersPerThread; ++i)
            ASSERT_EQ(static_cast<uint32_t>(i & 0xFF), written[i]) << "thread " << w.threadId << " write " << i;
    }
    for (size_t i = 1; i < trace.size(); ++i)
        ASSERT_LT(trace[i - 1].sequence, trace[i].sequence);
}

// The same load straight at the driver, without the lock: the driver's
// overlap counter does see it, so its zero above means something.
TEST_F(BoardLockTest, TheOverlapCounterSeesUnlockedCallers)
{
    g_rawOut = ProcAddress<TovelOutPortFn>(driver_.Module(), "TovelOutPort");
    g_rawIn = ProcAddress<TovelInPortFn>(driver_.Module(), "TovelInPort");
    ASSERT_TRUE(g_rawOut && g_rawIn);
    for (int round = 0; round < 20 && driver_.TovelSimOverlaps() == 0; ++round)
        RunWorkers(RawWrite, RawRead);
    EXPECT_GT(driver_.TovelSimOverlaps(), 0u);
    EXPECT_GT(driver_.TovelSimMaxConcurrent(), 1u);
}

// A run of writes takes the lock for each write, as the single transfers
// do: other threads' transfers come between the writes of one run, none
// overlaps inside the driver, and the run's bytes go out in order.
TEST_F(BoardLockTest, ARunOfWritesLetsOtherTransfersInBetweenItsWrites)
{
    const uint32_t kRun = 50;
    DWORD runner = 0;
    std::thread runs([&] {
        runner = GetCurrentThreadId();
        uint8_t bytes[kRun];
        for (int r = 0; r < kTransfersPerThread / static_cast<int>(kRun); ++r) {
            for (uint32_t j = 0; j < kRun; ++j)
                bytes[j] = static_cast<uint8_t>(r * kRun + j);
            EXPECT_EQ(kRun, BoardWriteEach(3, 0, bytes, kRun));
        }
    });
    std::vector<Worker> others = RunWorkers(LockedWrite, LockedRead);
    runs.join();

    EXPECT_EQ(0u, driver_.TovelSimOverlaps());
    std::vector<uint32_t> written;
    size_t between = 0;  // other threads' transfers inside one run
    bool inRun = false;
    for (const TovelSimTransfer& t : driver_.Trace()) {
        if (t.threadId == runner) {
            written.push_back(t.value);
            inRun = written.size() % kRun != 0;
        } else {
            between += inRun;
        }
    }
    ASSERT_EQ(static_cast<size_t>(kTransfersPerThread), written.size());
    for (int i = 0; i < kTransfersPerThread; ++i)
        ASSERT_EQ(static_cast<uint32_t>(i & 0xFF), written[i]) << "write " << i;
    EXPECT_GT(between, 0u) << "the lock is let go between the writes of a run";
}
