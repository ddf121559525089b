// "Tovel OUT" in a run, against the simulated driver's trace.

#include <gmock/gmock.h>

#include <math.h>
#include <string.h>

#include "tests/kit/cp932.h"
#include "sim/reference/double_reference.h"
#include "sim/host/host_behaviour.h"
#include "tests/kit/module_fixture.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

size_t Releases(uint32_t input)
{
    size_t n = 0;
    for (const sim::InputRelease& r : sim::InputReleases()) {
        n += r.input == input;
        EXPECT_EQ("Tovel_OUT", r.tag);
        EXPECT_EQ(663, r.line);
    }
    return n;
}

}  // namespace

class TovelOutRun : public RunTest {
protected:
    sim::Module& Prepared(uint32_t channels, uint32_t blockSize)
    {
        sim::SetBlockSize(blockSize);
        sim::SetMilliSecondsPerSample(10.0 * channels);
        sim::Module& m = Bound(kOut, kSlot, 0, channels);
        EXPECT_EQ(1, Send(m, kMsgPrepareRun));
        return m;
    }
};

TEST_F(TovelOutRun, FiveVoltsSetTheBitAndEverythingBelowOrNotANumberClearsItUnderEveryHostFpuEnvironment)
{
    // As bits, so that a signalling NaN reaches the module as one.
    const struct {
        uint32_t bits;
        uint32_t written;
    } samples[] = {
        {0x40A00000, 1},  // 5.0
        {0x409FFFFF, 0},  // the float just below 5.0
        {0x40F00000, 1},  // 7.5
        {0x7F7FFFFF, 1},  // the largest float
        {0x7F800000, 1},  // +infinity
        {0xFF800000, 0},  // -infinity
        {0x7FC00000, 0},  // a quiet NaN
        {0x7FA00000, 0},  // a signalling NaN
        {0xFFC00000, 0},  // a NaN with the sign set
        {0x00000001, 0},  // the least denormal
        {0x80000000, 0},  // -0.0
        {0xC0A00000, 0},  // -5.0
    };
    std::vector<uint32_t> bits, expected;
    for (const auto& s : samples) {
        bits.push_back(s.bits);
        expected.push_back(s.written);
    }
    for (const sim::FpuEnvironment* environment : TestableFpuEnvironments()) {
        SCOPED_TRACE(environment->name);
        sim::Module& m = Prepared(1, static_cast<uint32_t>(bits.size()));
        sim::QueueInputBlockBits(m.record, 0, bits);
        const size_t before = Written().size();
        {
            sim::HostBehaviourScope host(environment->name);
            EXPECT_EQ(1, Process(m));
        }
        const std::vector<uint32_t> written = Written();
        EXPECT_EQ(expected, std::vector<uint32_t>(written.begin() + before, written.end()));
        Send(m, kMsgEndRun);
        Send(m, kMsgRemove);
    }
    EXPECT_EQ(TestableFpuEnvironments().size(), Releases(0));
    EXPECT_TRUE(sim::Warnings().empty());
}

TEST_F(TovelOutRun, TwoChannelsWriteEveryPositionChannelZeroFirstAndKeepEachOthersBits)
{
    sim::Module& m = Prepared(2, 3);
    sim::QueueInputBlock(m.record, 0, {5, 0, 5});
    sim::QueueInputBlock(m.record, 1, {5, 5, 0});
    Process(m);
    EXPECT_THAT(Written(), ElementsAre(1, 0, 1, 3, 2, 1));

    EXPECT_EQ(1u, Releases(0));
    EXPECT_EQ(1u, Releases(1));
}

TEST_F(TovelOutRun, MissingBlockIsSkippedWithoutReleaseAndItsBitKeepsItsValue)
{
    sim::Module& m = Prepared(2, 3);
    sim::QueueInputBlock(m.record, 0, {0, 0, 0});
    sim::QueueInputBlock(m.record, 1, {5, 5, 5});
    Process(m);
    sim::QueueInputBlock(m.record, 0, {5, 0, 5});
    Process(m);
    EXPECT_THAT(Written(), ElementsAre(0, 0, 0, 2, 2, 2, 3, 2, 3));
    EXPECT_EQ(1u, Releases(1));
    EXPECT_EQ(2u, Releases(0));
}

TEST_F(TovelOutRun, EmptyBlockIsReleasedWithoutAWrite)
{
    sim::Module& m = Prepared(1, 3);
    sim::QueueInputBlock(m.record, 0, {});
    Process(m);
    EXPECT_THAT(Written(), IsEmpty());
    EXPECT_EQ(1u, Releases(0));
}

TEST_F(TovelOutRun, LongBlockIsWrittenUpToTheBlockSizeAndReleasedWhole)
{
    sim::Module& m = Prepared(1, 3);
    sim::QueueInputBlock(m.record, 0, {5, 5, 0, 5, 5});
    Process(m);
    EXPECT_THAT(Written(), ElementsAre(1, 1, 0));
    EXPECT_EQ(1u, Releases(0));
    EXPECT_EQ(0u, sim::QueuedInputBlocks(m.record, 0));
}

TEST_F(TovelOutRun, BlockSizeChangedMidRunCapsTheWritesBothWays)
{
    struct Case {
        uint32_t prepared, now;
        size_t written;
    } cases[] = {{3, 6, 3}, {3, 4, 3}, {5, 4, 4}, {5, 1, 1}, {5, 5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "prepared for " << c.prepared << ", now " << c.now);
        sim::Module& m = Prepared(1, c.prepared);
        sim::SetBlockSize(c.now);  // grown: the buffer holds no more; shrunk: the host's size holds
        sim::QueueInputBlock(m.record, 0, {5, 5, 5, 5, 5, 5});
        const size_t before = Written().size();
        Process(m);
        EXPECT_EQ(c.written, Written().size() - before);
        Send(m, kMsgEndRun);
    }
}

TEST_F(TovelOutRun, PauseLeavesTheBlocksWithTheHost)
{
    sim::Module& m = Prepared(1, 3);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5});
    sim::QueueInputBlock(m.record, 0, {0, 0, 5});
    sim::SetExperimentPaused(true);
    size_t calls = sim::HostCalls().size();
    Process(m);
    EXPECT_EQ(calls, sim::HostCalls().size()) << "no block taken, none released";
    EXPECT_THAT(Written(), IsEmpty());

    sim::SetExperimentPaused(false);
    Process(m);
    Process(m);
    EXPECT_THAT(Written(), ElementsAre(1, 1, 1, 0, 0, 1));
}

// The host's flag is on at 1; any other value it may write is not a pause.
TEST_F(TovelOutRun, OnlyAPauseFlagOfOneHoldsTheBlocks)
{
    const struct {
        uint32_t flag;
        size_t written;
    } cases[] = {{0, 2}, {1, 0}, {2, 2}, {0xFFFFFFFF, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        sim::Module& m = Prepared(1, 2);
        sim::QueueInputBlock(m.record, 0, {5, 5});
        ASSERT_TRUE(sim::WriteStateVariable("bExperimentIsPaused", &c.flag, sizeof c.flag));
        const size_t before = Written().size();
        Process(m);
        EXPECT_EQ(c.written, Written().size() - before);
        sim::SetExperimentPaused(false);
        Send(m, kMsgEndRun);
    }
}

TEST_F(TovelOutRun, ProcessWithoutRunPreparationDoesNothing)
{
    sim::Module& m = Bound(kOut, kSlot, 0, 1);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5});
    size_t calls = sim::HostCalls().size();
    EXPECT_EQ(1, Process(m));
    EXPECT_EQ(calls, sim::HostCalls().size());

    // Nor with a port buffer pointer it never allocated (a stored one, say).
    Out(m)->pPortBuffer = reinterpret_cast<uint8_t*>(0x12345678);
    EXPECT_EQ(1, Process(m));
    EXPECT_EQ(1, Send(m, kMsgEndRun));
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
    EXPECT_TRUE(sim::Frees().empty()) << "a pointer the plug-in never allocated is not handed back";
}

TEST_F(TovelOutRun, FailedWriteStopsTheRunShowsSlotChannelAndErrorAndGoesOn)
{
    sim::Module& m = Prepared(2, 3);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 0, 4711);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5});
    sim::QueueInputBlock(m.record, 1, {5, 5, 5});
    Process(m);

    EXPECT_EQ(1, sim::StopCount());
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"送出エラー", FromCp932(sim::Warnings()[0].caption));
    EXPECT_EQ("LogSlot = 1\nChannel = 0\nErrCode = 4711", sim::Warnings()[0].text);
    EXPECT_EQ(6u, Driver().TovelSimCalls("TovelOutPort")) << "the call goes on with the other positions";
    std::vector<std::string> calls = sim::HostCalls();
    auto stop = std::find(calls.begin(), calls.end(), "StopExperiment");
    ASSERT_NE(calls.end(), stop);
    EXPECT_EQ(0u, std::string(*(stop + 1)).find("ShowWarning")) << "stop first, then the warning";
}

TEST_F(TovelOutRun, BoardRemovedMidRunRepeatsTheStopAndTheWarning)
{
    sim::Module& m = Prepared(1, 3);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 1, 9);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5});
    Process(m);
    EXPECT_EQ(2, sim::StopCount());
    ASSERT_EQ(2u, sim::Warnings().size());
    EXPECT_EQ("LogSlot = 1\nChannel = 0\nErrCode = 9", sim::Warnings()[1].text);
}

// ------------------------------------------------------------------ run preparation and end

TEST_F(TovelOutRun, SampleDistanceMustGiveEachChannelTenMilliseconds)
{
    struct Case {
        uint32_t channels;
        double ms;
        int32_t result;
    } cases[] = {{1, 9.9, 0}, {1, 10.0, 1}, {4, 39.9, 0}, {4, 40.0, 1}, {1, NAN, 0}, {1, -10.0, 0},
                 // No channels: 80 / 0 is infinite, 0 / 0 not a number; neither may raise.
                 {0, 80.0, 1}, {0, 0.0, 0}, {1, INFINITY, 1}, {1, -INFINITY, 0}, {1, 4.9e-324, 0},
                 // The quotient in double precision, whatever the x87 unit's precision control:
                 // one double below 10 ms per channel fails, and at 24 bits it would round to 10.
                 {3, nextafter(30.0, 0.0), 0}, {3, 30.0, 1}, {7, nextafter(70.0, 0.0), 0}, {7, 70.0, 1}};
    for (const sim::FpuEnvironment* environment : TestableFpuEnvironments())
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.ms << " ms, " << environment->name);
        sim::SetMilliSecondsPerSample(c.ms);
        sim::Module& m = Bound(kOut, kSlot, 0, c.channels);
        size_t warnings = sim::Warnings().size();
        {
            sim::HostBehaviourScope host(environment->name);
            EXPECT_EQ(c.result, Send(m, kMsgPrepareRun));
        }
        if (c.result == 0) {
            ASSERT_EQ(warnings + 1, sim::Warnings().size());
            EXPECT_EQ("Tovel", sim::Warnings().back().caption);
            EXPECT_EQ(L"サンプリングレートが速すぎます", FromCp932(sim::Warnings().back().text));
            EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
        } else {
            EXPECT_NE(nullptr, Out(m)->pPortBuffer);
        }
        Send(m, kMsgEndRun);
        Send(m, kMsgRemove);
    }
    EXPECT_TRUE(sim::LiveAllocations().empty());
}

TEST_F(TovelOutRun, PreparationAllocatesAZeroedBufferAndResetsTheChannelRecords)
{
    sim::Module& m = Bound(kOut, kSlot, 0, 2);
    for (int c = 0; c < 3; ++c)
        *m.record->pChannelRecord[c] = ChannelRecord{1, 99, 5};
    sim::SetBlockSize(100);
    sim::SetMilliSecondsPerSample(20.0);
    ASSERT_EQ(1, Send(m, kMsgPrepareRun));

    ASSERT_EQ(1u, sim::LiveAllocations().size());
    const sim::Allocation a = sim::LiveAllocations()[0];
    EXPECT_EQ(Out(m)->pPortBuffer, a.block);
    EXPECT_EQ(100u, a.size);
    EXPECT_EQ("Tovel_OUT", a.tag);
    EXPECT_EQ(241, a.line);
    const uint8_t* bytes = Out(m)->pPortBuffer;
    EXPECT_TRUE(std::all_of(bytes, bytes + 100, [](uint8_t b) { return b == 0; }));
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(0u, m.record->pChannelRecord[c]->bBlockPending + m.record->pChannelRecord[c]->ulSampleCount +
                          static_cast<uint32_t>(m.record->pChannelRecord[c]->iAnimationPhase));
    EXPECT_EQ(99u, m.record->pChannelRecord[2]->ulSampleCount) << "channels beyond the count untouched";

    EXPECT_EQ(1, Send(m, kMsgEndRun));
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
    ASSERT_EQ(1u, sim::Frees().size());
    EXPECT_EQ(292, sim::Frees()[0].line);
    EXPECT_EQ(1, Send(m, kMsgEndRun)) << "a second run end is harmless";
    EXPECT_EQ(1u, sim::Frees().size());
}

TEST_F(TovelOutRun, RefusedAllocationWarnsAndLeavesNoBuffer)
{
    sim::Module& m = Bound(kOut, kSlot, 0, 1);
    sim::RefuseAllocations(1);
    EXPECT_EQ(0, Send(m, kMsgPrepareRun));
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい", FromCp932(sim::Warnings()[0].text));
}

TEST_F(TovelOutRun, SecondPreparationWithoutRunEndLosesNothing)
{
    sim::Module& m = Bound(kOut, kSlot, 0, 1);
    ASSERT_EQ(1, Send(m, kMsgPrepareRun));
    ASSERT_EQ(1, Send(m, kMsgPrepareRun));
    EXPECT_EQ(1u, sim::LiveAllocations().size());
    Send(m, kMsgEndRun);
}

TEST_F(TovelOutRun, RemovalHandsBackTheBufferSoPreparationNeverRunsOut)
{
    for (int i = 0; i < 65; ++i) {
        sim::Module& m = Bound(kOut, kSlot, 0, 1);
        ASSERT_EQ(1, Send(m, kMsgPrepareRun)) << "module " << i;
        EXPECT_EQ(1, Send(m, kMsgRemove)) << "removed in a run, without a run end";
        EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
    }
    EXPECT_TRUE(sim::LiveAllocations().empty());
}

TEST_F(TovelOutRun, MoreThanSixtyFourBuffersAtOnceFailAsAnAllocation)
{
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(1, Send(Bound(kOut, kSlot, 0, 1), kMsgPrepareRun)) << "module " << i;
    EXPECT_EQ(0, Send(Bound(kOut, kSlot, 0, 1), kMsgPrepareRun));
    ASSERT_FALSE(sim::Warnings().empty());
    EXPECT_EQ(L"出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい", FromCp932(sim::Warnings().back().text));
    EXPECT_EQ(64u, sim::LiveAllocations().size()) << "the 65th buffer went straight back";
}

TEST_F(TovelOutRun, AModuleNeverWritesOrFreesAnotherModulesBuffer)
{
    sim::Module& a = Prepared(1, 3);
    sim::Module& b = Bound(kOut, kSlot, 1, 1);
    Out(b)->pPortBuffer = Out(a)->pPortBuffer;  // copied with a's data, say
    sim::QueueInputBlock(b.record, 0, {5, 5, 5});
    Process(b);
    EXPECT_THAT(Written(), IsEmpty()) << "b prepared no buffer of its own";
    EXPECT_EQ(1, Send(b, kMsgEndRun));
    EXPECT_EQ(1u, sim::LiveAllocations().size()) << "a's buffer stays a's";
    sim::QueueInputBlock(a.record, 0, {5, 0, 5});
    Process(a);
    EXPECT_THAT(Written(), ElementsAre(1, 0, 1));
}

// ------------------------------------------------------------------ reservation

TEST_F(TovelOutRun, ReattachNeedsTheBoardAndRemovalGivesThePortBack)
{
    sim::Module& lost = NewModule(kOut);
    Out(lost)->head.wLogSlot = 9;  // no board there
    EXPECT_EQ(0, Send(lost, kMsgReattach));
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"エラー", FromCp932(sim::Warnings()[0].caption));
    EXPECT_EQ(L"デバイスが存在しません", FromCp932(sim::Warnings()[0].text));

    sim::Module& m = Bound(kOut, kSlot, 1, 1);
    // Port 1 of the board is taken: a new output module is offered port 0 only.
    sim::Module& probe = NewModule(kOut);
    std::vector<std::wstring> ports;
    DialogScript look;
    look.Then([&](HWND d) {
        ports = ComboRows(d, 1012);
        Click(d, IDCANCEL);
    });
    Create(probe, look);
    EXPECT_EQ(1u, ports.size());

    EXPECT_EQ(1, Send(m, kMsgRemove));
    DialogScript again;
    again.Then([&](HWND d) {
        ports = ComboRows(d, 1012);
        Click(d, IDCANCEL);
    });
    Create(probe, again);
    EXPECT_EQ(2u, ports.size()) << "removal released port 1";
}

TEST_F(TovelOutRun, ReattachAfterFinishFindsNoDriverAndWarns)
{
    sim::Module& m = Bound(kOut, kSlot, 0, 1);
    ASSERT_EQ(1, FinishKorvu());  // the host keeps its modules after finish
    EXPECT_EQ(0, Send(m, kMsgReattach));
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"デバイスが存在しません", FromCp932(sim::Warnings()[0].text));
    SetupKorvuOrFail();  // for the fixture's own run end
}

TEST_F(TovelOutRun, SlotOrPortOutsideTheBoardTableIsAMissingBoard)
{
    for (uint16_t slot : {16, 0xFFFF}) {
        sim::Module& m = NewModule(kOut);
        Out(m)->head.wLogSlot = slot;
        EXPECT_EQ(0, Send(m, kMsgReattach));
        EXPECT_EQ(1, Send(m, kMsgRemove));
    }
    sim::Module& m = NewModule(kOut);
    Out(m)->head.wLogSlot = kSlot;
    Out(m)->wPort = 0xFFFF;
    EXPECT_EQ(0, Send(m, kMsgReattach));
    EXPECT_EQ(1, Send(m, kMsgRemove));
    EXPECT_EQ(3u, sim::Warnings().size());
}
