// "Tovel IN" in a run: blocks read from the port and released on a clock the
// test controls.

#include <gmock/gmock.h>

#include <string.h>

#include <iomanip>
#include <random>

#include "sim/clock/test_clock.h"
#include "tests/kit/cp932.h"
#include "sim/reference/double_reference.h"
#include "sim/host/host_behaviour.h"
#include "tests/kit/module_fixture.h"

using testing::Each;
using testing::ElementsAre;

namespace {

const uint32_t kStart = 50000;

bool SameDouble(double a, double b)
{
    return a == b || (a != a && b != b);  // equal, or both not a number
}

}  // namespace

class TovelInRun : public RunTest {
protected:
    // 10 ms per sample, 100 samples per block: a block spans one second.
    sim::Module& Prepared(uint32_t channels, uint32_t start = kStart, uint32_t blockSize = 100)
    {
        sim::SetMilliSecondsPerSample(10.0);
        sim::SetBlockSize(blockSize);
        sim::SetExperimentStartTicks(start);
        sim::Module& m = Bound(kIn, kSlot, 0, channels);
        EXPECT_EQ(1, Send(m, kMsgPrepareRun));
        return m;
    }
    const std::vector<sim::CapturedBlock>& Released(sim::Module& m, int channel = 0)
    {
        return sim::CapturedBlocks(m.record->pOutputChannel[channel]);
    }
    size_t Asked() { return std::count(sim::HostCalls().begin(), sim::HostCalls().end(), "GetCurrentOutputBlock"); }
};

TEST_F(TovelInRun, BlocksAreStampedNominallyAndReleasedAtTheEndOfTheirSpan)
{
    sim::TestClock clock(Dll(), kStart);
    ASSERT_TRUE(clock.Installed());
    sim::Module& m = Prepared(1);

    Process(m);
    EXPECT_EQ(1u, m.record->pChannelRecord[0]->bBlockPending);
    EXPECT_EQ(100u, m.record->pChannelRecord[0]->ulSampleCount);
    EXPECT_EQ(100u, Driver().TovelSimCalls("TovelInPort")) << "all reads of a block at once";
    clock.Set(kStart + 999);
    EXPECT_EQ(1, Process(m)) << "a process call answers 1 whether or not it releases";
    EXPECT_TRUE(Released(m).empty()) << "not at 999 ms";
    clock.Set(kStart + 1000);
    EXPECT_EQ(1, Process(m));
    ASSERT_EQ(1u, Released(m).size());
    EXPECT_EQ(0.0, Released(m)[0].startTime);
    EXPECT_DOUBLE_EQ(0.01, Released(m)[0].sampleDistance);
    EXPECT_EQ(100, Released(m)[0].numberOfSamples);
    EXPECT_EQ("Tovel_IN", Released(m)[0].tag);
    EXPECT_EQ(713, Released(m)[0].line);
    EXPECT_EQ(1, m.record->pChannelRecord[0]->iAnimationPhase);

    // Block 1 was filled in the same call only if nothing was pending; it is now.
    Process(m);
    clock.Set(kStart + 1999);
    Process(m);
    EXPECT_EQ(1u, Released(m).size());
    clock.Set(kStart + 2000);
    Process(m);
    ASSERT_EQ(2u, Released(m).size());
    EXPECT_DOUBLE_EQ(1.0, Released(m)[1].startTime);
}

TEST_F(TovelInRun, PendingBlockIsNotRefilled)
{
    sim::TestClock clock(Dll(), kStart);
    sim::Module& m = Prepared(1);
    Process(m);
    size_t asked = Asked();
    for (int i = 0; i < 5; ++i) {
        clock.Advance(100);
        Process(m);
    }
    EXPECT_EQ(asked, Asked()) << "while it waits, calls only look at the clock";
    EXPECT_EQ(100u, Driver().TovelSimCalls("TovelInPort"));
}

TEST_F(TovelInRun, ChannelBehindTheClockCatchesUpOneBlockPerCall)
{
    sim::TestClock clock(Dll(), kStart + 5500);
    sim::Module& m = Prepared(1);
    for (size_t calls = 1; calls <= 5; ++calls) {
        Process(m);
        EXPECT_EQ(calls, Released(m).size());
    }
    Process(m);
    EXPECT_EQ(5u, Released(m).size()) << "block 5 is due at 6000 ms";
}

TEST_F(TovelInRun, PauseHoldsCountsAndReleases)
{
    sim::TestClock clock(Dll(), kStart);
    sim::Module& m = Prepared(1);
    Process(m);
    sim::SetExperimentPaused(true);
    clock.Set(kStart + 3000);
    size_t calls = sim::HostCalls().size();
    m.record->pOutputChannel[0]->wUndisclosed = 0x1234;
    EXPECT_EQ(1, Process(m));
    EXPECT_EQ(calls, sim::HostCalls().size());
    EXPECT_TRUE(Released(m).empty());
    EXPECT_EQ(100u, m.record->pChannelRecord[0]->ulSampleCount);
    EXPECT_EQ(0x1234, m.record->pOutputChannel[0]->wUndisclosed);

    sim::SetExperimentPaused(false);
    Process(m);
    EXPECT_EQ(1u, Released(m).size());
    EXPECT_EQ(0, m.record->pOutputChannel[0]->wUndisclosed);
}

// The host's flag is on at 1; any other value it may write is not a pause.
TEST_F(TovelInRun, OnlyAPauseFlagOfOneHoldsTheBlocks)
{
    const struct {
        uint32_t flag;
        size_t released;
    } cases[] = {{0, 1}, {1, 0}, {2, 1}, {0xFFFFFFFF, 1}};
    sim::TestClock clock(Dll(), kStart + 1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        sim::Module& m = Prepared(1);
        ASSERT_TRUE(sim::WriteStateVariable("bExperimentIsPaused", &c.flag, sizeof c.flag));
        Process(m);  // fills the first block, due now, and hands it on
        EXPECT_EQ(c.released, Released(m).size());
        EXPECT_EQ(100 * c.released, m.record->pChannelRecord[0]->ulSampleCount);
        sim::SetExperimentPaused(false);
    }
}

// The run's blocks hold what its preparation set; the host's size may grow
// past them, or past the 16 bits a block counts its samples in.
TEST_F(TovelInRun, NoBlockIsFilledPastWhatTheRunsBlocksHold)
{
    const struct {
        uint32_t prepared;
        const char* host;   // behaviours
        uint32_t samples;
    } cases[] = {
        {3, "block-size-grows", 3},        // the host's size one more, then 65536 more
        {65535, "none", 65535},
        {65536, "none", 65535},
        {70000, "block-size-grows", 65535},
    };
    sim::TestClock clock(Dll(), kStart + 2 * 70000 * 10);  // two blocks of the largest due
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.prepared << ", " << c.host);
        sim::HostBehaviourScope host(c.host);
        sim::Module& m = Prepared(1, kStart, c.prepared);  // each block against a guard page
        for (int call = 0; call < 2; ++call) {
            Process(m);
            ASSERT_EQ(call + 1u, Released(m).size());
            EXPECT_EQ(c.samples, Released(m).back().numberOfSamples);
            EXPECT_EQ(c.samples * (call + 1u), m.record->pChannelRecord[0]->ulSampleCount);
        }
        EXPECT_EQ(c.prepared, sim::HostBlockSize()) << "the host's own setting, as it was";
        Send(m, kMsgRemove);
    }
}

TEST_F(TovelInRun, ProcessWithoutRunPreparationDoesNothing)
{
    sim::TestClock clock(Dll(), kStart + 1000);
    sim::Module& m = Bound(kIn, kSlot, 0, 1);
    const size_t calls = sim::HostCalls().size();
    EXPECT_EQ(1, Process(m));
    EXPECT_EQ(calls, sim::HostCalls().size()) << "no block asked for: nothing says what it holds";
    EXPECT_EQ(1, Send(m, kMsgPrepareRun));
    Process(m);
    EXPECT_EQ(1u, Released(m).size());
}

TEST_F(TovelInRun, InactiveModuleDoesNothingAtAll)
{
    sim::TestClock clock(Dll(), kStart);
    sim::Module& m = Prepared(2);
    m.record->bActive = 0;
    m.record->pOutputChannel[0]->wUndisclosed = 0xBEEF;
    m.record->pOutputChannel[1]->wUndisclosed = 0xBEEF;
    size_t calls = sim::HostCalls().size();
    EXPECT_EQ(1, Process(m));
    EXPECT_EQ(calls, sim::HostCalls().size());
    EXPECT_EQ(0xBEEF, m.record->pOutputChannel[0]->wUndisclosed);
    EXPECT_EQ(0xBEEF, m.record->pOutputChannel[1]->wUndisclosed);
    EXPECT_EQ(0u, Driver().TovelSimCalls("TovelInPort"));
}

TEST_F(TovelInRun, BlocksDueAcrossTheTickCountsWrapAreReleasedOnTime)
{
    // 100 ms blocks, the run starting 500 ms before the tick count wraps.
    const uint32_t start = 0xFFFFFFFFu - 499;
    sim::TestClock clock(Dll(), start);
    sim::Module& m = Prepared(1, start, 10);
    for (uint32_t k = 0; k < 10; ++k) {
        const uint32_t due = start + (k + 1) * 100;  // wraps after the fifth
        SCOPED_TRACE(testing::Message() << "block " << k << " due at tick " << due);
        clock.Set(due - 1);
        Process(m);
        ASSERT_EQ(k, Released(m).size()) << "not a tick early";
        clock.Set(due);
        Process(m);
        ASSERT_EQ(k + 1, Released(m).size()) << "and not late";
        EXPECT_DOUBLE_EQ(k * 0.1, Released(m)[k].startTime);
    }
}

// Seeded cases (see SeededTimingCase), the distances that first showed the
// fault first.
std::vector<TimingCase> TimingCases(uint32_t seed, size_t count)
{
    std::mt19937 rng(seed);
    const double listed[] = {0.3, 0.7, 1.0 / 3, 3.3, 0.15, 2.2};
    std::vector<TimingCase> cases;
    for (size_t i = 0; i < count; ++i) {
        TimingCase c = SeededTimingCase(rng, i);
        if (i < 6)
            c = TimingCase{listed[i], 10, c.start, 0};
        cases.push_back(c);
    }
    return cases;
}

TEST_F(TovelInRun, ReleaseTicksAndStampsAreIeeeDoublesUnderEveryHostFpuEnvironment)
{
    sim::TestClock clock(Dll());
    sim::Module& m = Bound(kIn, kSlot, 0, 1);
    ChannelRecord* record = m.record->pChannelRecord[0];
    uint32_t seed = 0;
    for (const sim::FpuEnvironment* environment : TestableFpuEnvironments()) {
        for (const TimingCase& c : TimingCases(++seed, 150)) {
            SCOPED_TRACE(testing::Message() << std::setprecision(17) << c.ms << " ms, " << c.blockSize
                                            << " samples, start " << c.start << ", block " << c.block << ", "
                                            << environment->name);
            sim::SetMilliSecondsPerSample(c.ms);
            sim::SetBlockSize(c.blockSize);
            sim::SetExperimentStartTicks(c.start);
            ASSERT_EQ(1, Send(m, kMsgPrepareRun));
            record->ulSampleCount = c.block * c.blockSize;  // the host's count: block k is next
            const uint32_t due = c.start + ReferenceDueOffset((c.block + 1) * c.blockSize, c.ms);
            const size_t released = Released(m).size();

            sim::HostBehaviourScope host(environment->name);
            clock.Set(due - 1);
            Process(m);
            const bool early = Released(m).size() != released;
            clock.Set(due);
            Process(m);

            ASSERT_FALSE(early) << "released a tick before " << due;
            ASSERT_EQ(released + 1, Released(m).size()) << "not released at " << due;
            const double perSample = ReferenceProduct(c.ms, 0.001);
            EXPECT_EQ(perSample, Released(m).back().sampleDistance);
            EXPECT_EQ(ReferenceProduct(c.block * c.blockSize, perSample), Released(m).back().startTime);
        }
    }
}

TEST_F(TovelInRun, AnySampleDistanceIsStampedAndTimedWithoutRaisingAnything)
{
    // As bits, so that a signalling NaN reaches the module as one; three
    // samples a block, so the due offset is 3 x the distance, truncated.
    const struct {
        uint64_t ms;
        uint32_t dueOffset;
    } cases[] = {
        {0x7FF8000000000000, 0},  // a quiet NaN: no time at all
        {0x7FF4000000000000, 0},  // a signalling NaN
        {0x7FF0000000000000, 0},  // +infinity
        {0xFFF0000000000000, 0},  // -infinity
        {0x0000000000000000, 0},  // 0
        {0x0000000000000001, 0},  // the least denormal
        {0x7FEFFFFFFFFFFFFF, 0},  // the largest double: a multiple of 2^32
        {0x4000000000000000, 6},  // 2.0
        {0xC014000000000000, static_cast<uint32_t>(-15)},  // -5.0
    };
    sim::TestClock clock(Dll());
    for (const sim::FpuEnvironment* environment : TestableFpuEnvironments()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << environment->name << ", ms 0x" << std::hex << c.ms);
            sim::Module& m = Prepared(1, kStart, 3);
            ASSERT_TRUE(sim::WriteStateVariable("fGlobalMilliSecondsPerSample", &c.ms, sizeof c.ms));
            sim::HostBehaviourScope host(environment->name);
            clock.Set(kStart + c.dueOffset - 1);
            Process(m);
            EXPECT_TRUE(Released(m).empty()) << "released before its due offset";
            clock.Set(kStart + c.dueOffset);
            Process(m);
            ASSERT_EQ(1u, Released(m).size());
            double ms;
            memcpy(&ms, &c.ms, sizeof ms);
            const double perSample = ReferenceProduct(ms, 0.001);
            EXPECT_TRUE(SameDouble(perSample, Released(m)[0].sampleDistance));
            EXPECT_TRUE(SameDouble(ReferenceProduct(0, perSample), Released(m)[0].startTime));
            Send(m, kMsgRemove);
        }
    }
}

TEST_F(TovelInRun, ReadsBitsAsFiveAndZeroVoltsAndChannelsAboveSevenAsZero)
{
    sim::TestClock clock(Dll(), kStart + 10000);
    Driver().TovelSimSetInput(kSlot, 0, 0xA5);
    sim::Module& m = Prepared(9, kStart, 4);
    Process(m);
    const float expected[8] = {5, 0, 5, 0, 0, 5, 0, 5};
    for (int c = 0; c < 8; ++c) {
        ASSERT_EQ(1u, Released(m, c).size()) << c;
        EXPECT_THAT(Released(m, c)[0].samples, Each(expected[c])) << "channel " << c;
    }
    ASSERT_EQ(1u, Released(m, 8).size());
    EXPECT_THAT(Released(m, 8)[0].samples, ElementsAre(0, 0, 0, 0));
    EXPECT_EQ(9u * 4, Driver().TovelSimCalls("TovelInPort")) << "each channel reads the port itself";
}

TEST_F(TovelInRun, FailedReadStopsAndWarnsButTheBlockIsStillCompleted)
{
    sim::TestClock clock(Dll(), kStart);
    Driver().TovelSimSetInput(kSlot, 0, 0x01);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailInPort, 3, 0, -21);
    sim::Module& m = Prepared(1, kStart, 5);
    Process(m);
    EXPECT_EQ(1, sim::StopCount());
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"サンプリングエラー", FromCp932(sim::Warnings()[0].caption));
    EXPECT_EQ("LogSlot = 1\nChannel = 0\nErrCode = -21", sim::Warnings()[0].text);
    EXPECT_EQ(5u, m.record->pChannelRecord[0]->ulSampleCount);

    clock.Set(kStart + 50);
    Process(m);
    ASSERT_EQ(1u, Released(m).size());
    EXPECT_THAT(Released(m)[0].samples, Each(5.0f)) << "the failed read keeps the last byte read";
}

TEST_F(TovelInRun, WhatAnOutputModuleWritesAnInputModuleReadsBack)
{
    Driver().TovelSimWire(kSlot, 0, kSlot, 0);
    sim::TestClock clock(Dll(), kStart);
    sim::SetBlockSize(1);
    sim::SetMilliSecondsPerSample(80.0);  // 8 output channels need 80 ms per sample
    sim::SetExperimentStartTicks(kStart);
    sim::Module& out = Bound(kOut, kSlot, 0, 8);
    sim::Module& in = Bound(kIn, kSlot, 0, 8);
    ASSERT_EQ(1, Send(out, kMsgPrepareRun));
    ASSERT_EQ(1, Send(in, kMsgPrepareRun));

    const uint8_t patterns[] = {0x00, 0xFF, 0xA5, 0x5A, 0x01, 0x80, 0x3C};
    for (size_t k = 0; k < sizeof patterns; ++k) {
        for (int c = 0; c < 8; ++c)
            sim::QueueInputBlock(out.record, c, {(patterns[k] >> c) & 1 ? 5.0f : 0.0f});
        Process(out);
        clock.Set(kStart + static_cast<uint32_t>((k + 1) * 80));
        Process(in);
        for (int c = 0; c < 8; ++c) {
            ASSERT_EQ(k + 1, Released(in, c).size());
            EXPECT_EQ((patterns[k] >> c) & 1 ? 5.0f : 0.0f, Released(in, c)[k].samples[0])
                << "pattern " << std::hex << int(patterns[k]) << " channel " << c;
        }
    }
}

TEST_F(TovelInRun, AnimationPhaseRunsToTenThenFromMinusNine)
{
    sim::TestClock clock(Dll(), kStart + 100000);
    sim::Module& m = Prepared(1, kStart, 1);
    std::vector<int32_t> phases;
    for (int i = 0; i < 22; ++i) {
        Process(m);
        phases.push_back(m.record->pChannelRecord[0]->iAnimationPhase);
    }
    EXPECT_THAT(phases, ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -9, -8, -7, -6, -5, -4, -3, -2, -1, 0, 1, 2));
}

// ------------------------------------------------------------------ messages

TEST_F(TovelInRun, FixedAnswersExtraWordAndDescription)
{
    sim::Module& m = Bound(kIn, kSlot, 0, 1);
    EXPECT_EQ(1, Send(m, kMsgEndRun));
    for (uint32_t code : {117u, 119u, 120u, 121u, 122u})
        EXPECT_EQ(0, Send(m, code)) << code;
    EXPECT_EQ(1, Send(m, 118));
    EXPECT_TRUE(sim::DefaultActions().empty());

    *m.record->pExtraWord = 0xFFFFFFFF;
    EXPECT_EQ(1, Send(m, kMsgClearExtraWord));
    EXPECT_EQ(0u, *m.record->pExtraWord);

    uint8_t request[40];
    memset(request, 0xEE, sizeof request);
    uint32_t kind = 12;
    memcpy(request + 4, &kind, 4);
    std::vector<uint8_t> before(request, request + 40);
    EXPECT_EQ(0, Send(m, kMsgDescribe, 0, request));
    EXPECT_EQ(before, std::vector<uint8_t>(request, request + 40)) << "kind 12 is not answered";

    kind = 13;
    memcpy(request + 4, &kind, 4);
    EXPECT_EQ(1, Send(m, kMsgDescribe, 0, request));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(Dll()), *reinterpret_cast<uint32_t*>(request));
    EXPECT_STREQ("TOVEL_IN", reinterpret_cast<char*>(request + 8));
    EXPECT_EQ(0xEE, request[17]) << "nothing after the name's zero";
    EXPECT_EQ(0u, *reinterpret_cast<uint32_t*>(request + 28));
    EXPECT_EQ(3957u, *reinterpret_cast<uint32_t*>(request + 32));
}

TEST_F(TovelInRun, PreparationZeroesItsWordsAndNeverWritesPastTheInstanceData)
{
    for (uint32_t channels : {0u, 3u, 8u, 16u, 1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(channels);
        sim::Module& m = Bound(kIn, kSlot, 0, 1);
        memset(m.instanceData, 0xAB, m.instanceDataSize);
        m.record->uiNumberOfOutputs = channels;
        EXPECT_EQ(1, Send(m, kMsgPrepareRun));  // the instance data ends against a guard page
        const uint8_t* bytes = static_cast<const uint8_t*>(m.instanceData);
        for (uint32_t off = 200; off < 368; off += 4) {
            uint32_t word;
            memcpy(&word, bytes + off, 4);
            bool zeroed = channels > 0 && (off == 200 || (off >= 216 && (off - 216) % 16 == 0 &&
                                                           (off - 216) / 16 < channels));
            EXPECT_EQ(zeroed ? 0u : 0xABABABABu, word) << "byte " << off;
        }
        m.record->uiNumberOfOutputs = 1;
        Send(m, kMsgRemove);
    }
}
