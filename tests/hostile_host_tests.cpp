// Hosts the interface allows that are less polite than the simulated one:
// services that come back only after the host ran other code (a stop carried
// out at once, a warning box that pumps the run, a ChangeModuleSize that
// pumps the dialog), and services and drivers of either calling convention.

#include <gmock/gmock.h>

#include <string.h>

#include "controls/controls.h"
#include "resources/resource_ids.h"
#include "sim/clock/test_clock.h"
#include "sim/host/host_behaviour.h"
#include "tests/kit/module_fixture.h"

using testing::ElementsAre;

namespace {

const uint32_t kStart = 70000;

}  // namespace

class HostThatCallsBack : public RunTest {
protected:
    void TearDown() override
    {
        sim::SetPumpHook(nullptr);
        RunTest::TearDown();
    }

    sim::Module& PreparedOut(uint32_t channels, uint32_t blockSize)
    {
        sim::SetBlockSize(blockSize);
        sim::SetMilliSecondsPerSample(10.0 * channels);
        sim::Module& m = Bound(kOut, kSlot, 0, channels);
        EXPECT_EQ(1, Send(m, kMsgPrepareRun));
        return m;
    }

    sim::Module& PreparedIn(uint32_t blockSize)
    {
        sim::SetBlockSize(blockSize);
        sim::SetMilliSecondsPerSample(10.0);
        sim::SetExperimentStartTicks(kStart);
        sim::Module& m = Bound(kIn, kSlot, 0, 1);
        EXPECT_EQ(1, Send(m, kMsgPrepareRun));
        return m;
    }

    size_t ReleasedIn(sim::Module& m) { return sim::CapturedBlocks(m.record->pOutputChannel[0]).size(); }
};

// ------------------------------------------------------------------ a stop carried out at once

TEST_F(HostThatCallsBack, RunEndInsideStopExperimentEndsTheWritesOfThatCall)
{
    sim::HostBehaviourScope host("stop-at-once");
    sim::Module& m = PreparedOut(2, 4);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 0, 31);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5, 5});
    sim::QueueInputBlock(m.record, 1, {5, 5, 5, 5});
    Process(m);

    EXPECT_EQ(2u, Driver().TovelSimCalls("TovelOutPort")) << "nothing written after the run end freed the buffer";
    EXPECT_EQ(1, sim::StopCount());
    ASSERT_EQ(1u, sim::Warnings().size()) << "the user still learns why the run stopped";
    EXPECT_EQ("LogSlot = 1\nChannel = 0\nErrCode = 31", sim::Warnings()[0].text);
    EXPECT_EQ(0u, sim::QueuedInputBlocks(m.record, 0)) << "the block taken is given back";
    EXPECT_EQ(1u, sim::QueuedInputBlocks(m.record, 1)) << "no block taken after the run ended";
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
    EXPECT_TRUE(sim::LiveAllocations().empty());
}

// ------------------------------------------------------------------ warnings that pump the run

TEST_F(HostThatCallsBack, ProcessCallInsideItsOwnWarningDoesNothing)
{
    sim::HostBehaviourScope host("warnings-pump");  // each warning calls every process function back
    sim::TestClock clock(Dll(), kStart + 1000);
    sim::Module& out = PreparedOut(1, 3);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 0, 5);
    sim::QueueInputBlock(out.record, 0, {5, 0, 5});
    Process(out);
    EXPECT_THAT(Written(), ElementsAre(1, 0, 1)) << "each position written once";
    EXPECT_EQ(1u, sim::InputReleases().size()) << "the block given back once";

    sim::Module& in = PreparedIn(3);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailInPort, 2, 0, 6);
    std::vector<int32_t> nestedAnswers;
    sim::SetPumpHook([&] { nestedAnswers.push_back(Process(in)); });
    Process(in);
    EXPECT_EQ(1u, ReleasedIn(in)) << "the block filled and handed on once";
    EXPECT_EQ(3u, in.record->pChannelRecord[0]->ulSampleCount);
    EXPECT_THAT(nestedAnswers, ElementsAre(1)) << "a process call answers 1, nested or not";
    EXPECT_EQ(2u, sim::Warnings().size());
}

// A preparation on its own, with no run end before it, interrupts too.
TEST_F(HostThatCallsBack, PreparationAloneInsideAWarningLeavesTheNewRunAlone)
{
    sim::HostBehaviourScope host("warnings-pump");
    sim::TestClock clock(Dll(), kStart);
    sim::Module& in = PreparedIn(4);
    sim::Module& out = PreparedOut(1, 4);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailInPort, 2, 0, 6);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 0, 7);
    sim::SetPumpHook([&] {
        for (sim::Module* m : {&in, &out})
            Send(*m, kMsgPrepareRun);
    });
    Process(in);
    EXPECT_EQ(0u, in.record->pChannelRecord[0]->ulSampleCount) << "as the new preparation left it";
    EXPECT_EQ(2u, Driver().TovelSimCalls("TovelInPort"));

    sim::QueueInputBlock(out.record, 0, {5, 5, 5, 5});
    Process(out);  // the old buffer is gone now: a write through it faults
    EXPECT_THAT(Written(), ElementsAre(1, 1));
    EXPECT_EQ(1u, sim::LiveAllocations().size());
}

TEST_F(HostThatCallsBack, RunRestartedInsideAWarningLeavesTheNewRunAlone)
{
    sim::HostBehaviourScope host("warnings-pump");
    sim::TestClock clock(Dll(), kStart);
    sim::Module& in = PreparedIn(4);
    sim::Module& out = PreparedOut(1, 4);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailInPort, 2, 0, 6);
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 2, 0, 7);
    sim::SetPumpHook([&] {  // the user stops and starts the run while the warning is up
        for (sim::Module* m : {&in, &out}) {
            Send(*m, kMsgEndRun);
            Send(*m, kMsgPrepareRun);
        }
        sim::SetExperimentRunning(true);
    });
    Process(in);
    const ChannelRecord* record = in.record->pChannelRecord[0];
    EXPECT_EQ(0u, record->bBlockPending) << "as the new run's preparation left it";
    EXPECT_EQ(0u, record->ulSampleCount);
    EXPECT_EQ(2u, Driver().TovelSimCalls("TovelInPort")) << "no read after the run restarted";

    sim::QueueInputBlock(out.record, 0, {5, 5, 5, 5});
    Process(out);
    EXPECT_THAT(Written(), ElementsAre(1, 1)) << "the old run's buffer is not written after it was freed";
    EXPECT_NE(nullptr, Out(out)->pPortBuffer) << "the new run's buffer";
    EXPECT_EQ(1u, sim::LiveAllocations().size());
}

TEST_F(HostThatCallsBack, RunEndInsideTheReleaseLeavesNoBlockPending)
{
    sim::HostBehaviourScope host("services-pump");
    sim::TestClock clock(Dll(), kStart + 1000);
    sim::Module& in = PreparedIn(2);
    bool armed = false;
    sim::SetPumpHook([&] {
        if (armed && !sim::CapturedBlocks(in.record->pOutputChannel[0]).empty()) {
            armed = false;
            Send(in, kMsgEndRun);  // the run ends while the block is handed on
        }
    });
    armed = true;
    Process(in);
    ASSERT_EQ(1u, ReleasedIn(in));
    EXPECT_EQ(0u, in.record->pChannelRecord[0]->bBlockPending) << "the block went; nothing waits";
    Process(in);  // a host that calls on without a new preparation
    EXPECT_EQ(2u, ReleasedIn(in)) << "the next block, not the one handed on again";
}

// ------------------------------------------------------------------ every service pumps the run

TEST_F(HostThatCallsBack, RunEndWhoseFreeRunsTheHostLeavesNothingToWriteThrough)
{
    sim::HostBehaviourScope host("services-pump");
    sim::Module& m = PreparedOut(1, 3);
    sim::QueueInputBlock(m.record, 0, {5, 5, 5});
    EXPECT_EQ(1, Send(m, kMsgEndRun));  // its NewDoMemFree calls the process function back
    EXPECT_EQ(0u, Driver().TovelSimCalls("TovelOutPort"));
    EXPECT_EQ(1u, sim::QueuedInputBlocks(m.record, 0));
    EXPECT_TRUE(sim::LiveAllocations().empty());
}

TEST_F(HostThatCallsBack, RunPreparedInsideTheRunEndsFreeEndsWithIt)
{
    sim::HostBehaviourScope host("services-pump");
    sim::Module& m = PreparedOut(1, 3);
    bool nested = false;
    sim::SetPumpHook([&] {
        if (!nested) {
            nested = true;
            Send(m, kMsgPrepareRun);  // inside the run end's NewDoMemFree
        }
    });
    EXPECT_EQ(1, Send(m, kMsgEndRun));
    sim::SetPumpHook(nullptr);
    EXPECT_TRUE(nested);
    EXPECT_TRUE(sim::LiveAllocations().empty()) << "the run end, begun first, ends last";
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer);
}

TEST_F(HostThatCallsBack, PreparationInsideAPreparationLeavesOneBuffer)
{
    sim::HostBehaviourScope host("services-pump");
    sim::Module& m = PreparedOut(1, 3);
    bool nested = false;
    sim::SetPumpHook([&] {
        if (!nested) {
            nested = true;
            Send(m, kMsgPrepareRun);  // inside the outer preparation's NewMemAlloc
        }
    });
    EXPECT_EQ(1, Send(m, kMsgPrepareRun));
    sim::SetPumpHook(nullptr);
    ASSERT_EQ(1u, sim::LiveAllocations().size()) << "one buffer held, none lost";
    EXPECT_EQ(Out(m)->pPortBuffer, sim::LiveAllocations()[0].block);
    sim::QueueInputBlock(m.record, 0, {5, 0, 5});
    Process(m);
    EXPECT_THAT(Written(), ElementsAre(1, 0, 1));
}

// ------------------------------------------------------------------ the settings dialog after OK or Cancel

class DialogThatComesBack : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        Driver().TovelSimSetBoard(1, 1, 0x300, 16, 0x1);
        SetupKorvuOrFail();
    }
    void TearDown() override
    {
        sim::SetPumpHook(nullptr);
        ModuleTest::TearDown();
    }
};

TEST_F(DialogThatComesBack, CommandsAfterOkOrCancelFindNothingToEdit)
{
    struct Case {
        const char* behaviours;
        int button;
        int32_t line;        // of the one release of the working copy
        size_t sizeChanges;
    } cases[] = {
        {"dialog-pump", IDOK, 511, 1},          // ChangeModuleSize hands the dialog its queue
        {"services-pump", IDCANCEL, 523, 0},    // so does Cancel's NewDoMemFree, through the hook below
        {"services-pump", IDOK, 511, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.behaviours << ", button " << c.button);
        sim::HostBehaviourScope host(c.behaviours);
        sim::SetExperimentRunning(true);
        sim::Module& m = NewModule(kOut);
        ASSERT_EQ(1, CreateOn(m, 0));
        m.record->uiNumberOfInputs = 3;
        sim::SetCurrentModulePtr(m.record);
        const size_t frees = sim::Frees().size(), changes = sim::SizeChanges().size();
        bool pressed = false;
        sim::SetPumpHook([&] {
            if (pressed)
                sim::PumpDialogs();
        });
        DialogScript settings;
        settings.Then([&](HWND d) {
            Type(d, IDC_CHANNEL_NAME, L"renamed");
            pressed = true;
            Click(d, c.button);
        });
        ArmedScripts armed({&settings});
        EXPECT_EQ(1, Send(m, kMsgSettings));
        sim::SetPumpHook(nullptr);
        EXPECT_TRUE(settings.Completed());
        ASSERT_EQ(frees + 1, sim::Frees().size()) << "the working copy released once";
        EXPECT_EQ(c.line, sim::Frees().back().line);
        EXPECT_EQ(changes + c.sizeChanges, sim::SizeChanges().size());
        EXPECT_EQ(3u, m.record->uiNumberOfInputs) << "no less or more after the dialog closed";
        EXPECT_EQ(c.button == IDOK ? "renamed" : "Tovel OUT 0", std::string(Out(m)->head.szChannelName[0]));
        EXPECT_EQ("Tovel OUT 1", std::string(Out(m)->head.szChannelName[1])) << "no copy after the dialog closed";
        Send(m, kMsgRemove);
    }
}

// ------------------------------------------------------------------ the host's selection moves

// The host's current module moves at each of its services while the
// dialog is open; the edits still go to the module the dialog opened for.
TEST_F(DialogThatComesBack, TheDialogEditsTheModuleItWasOpenedFor)
{
    sim::HostBehaviourScope host("selection-moves");
    for (TestKind kind : {kOut, kIn}) {
        SCOPED_TRACE(kind == kOut ? "Tovel OUT" : "Tovel IN");
        sim::Module& opened = NewModule(kind);
        sim::Module& other = NewModule(kind);
        ASSERT_EQ(1, CreateOn(opened, 0, 0));
        ASSERT_EQ(1, CreateOn(other, 0, 1));
        const std::vector<uint8_t> otherData(static_cast<uint8_t*>(other.instanceData),
                                             static_cast<uint8_t*>(other.instanceData) + other.instanceDataSize);
        const std::string otherName = other.record->szModuleName;
        sim::SetCurrentModulePtr(opened.record);
        const size_t changes = sim::SizeChanges().size();
        DialogScript settings;
        settings.Then([](HWND d) {
            Type(d, IDC_MODULE_NAME, L"opened");
            Type(d, IDC_CHANNEL_NAME, L"renamed");
            SendMessageA(d, WM_COMMAND, kCommandMore, 0);
            Click(d, IDOK);
        });
        {
            ArmedScripts armed({&settings});
            EXPECT_EQ(1, Send(opened, kMsgSettings));
        }
        EXPECT_TRUE(settings.Completed());
        EXPECT_STREQ("opened", opened.record->szModuleName);
        EXPECT_STREQ("renamed", static_cast<const char*>(opened.instanceData));
        ASSERT_EQ(changes + 1, sim::SizeChanges().size());
        EXPECT_EQ(opened.record, sim::SizeChanges().back().module);
        EXPECT_EQ(otherName, other.record->szModuleName) << "the other module keeps everything";
        EXPECT_EQ(otherData, std::vector<uint8_t>(static_cast<uint8_t*>(other.instanceData),
                                                  static_cast<uint8_t*>(other.instanceData) + other.instanceDataSize));
        Send(opened, kMsgRemove);
        Send(other, kMsgRemove);
    }
}

// ------------------------------------------------------------------ calling conventions

class EitherConvention : public RunTest, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        behaviours_.reset(new sim::HostBehaviourScope(GetParam()));
        RunTest::SetUp();
    }
    void TearDown() override
    {
        RunTest::TearDown();
        behaviours_.reset();
    }
    std::unique_ptr<sim::HostBehaviourScope> behaviours_;
};

// Every host service the plug-in calls and every driver entry point, once.
TEST_P(EitherConvention, SetUpRunSettingsAndFinishGoAsWithTheOther)
{
    EXPECT_EQ(1, Driver().TovelSimIsOpen(kSlot)) << "the probe opened the board";
    sim::TestClock clock(Dll(), kStart + 1000);
    sim::SetExperimentStartTicks(kStart);
    sim::Module& out = Bound(kOut, kSlot, 0, 1);
    sim::Module& in = Bound(kIn, kSlot, 0, 1);
    Driver().TovelSimWire(kSlot, 0, kSlot, 0);
    sim::SetMilliSecondsPerSample(10.0);
    ASSERT_EQ(1, Send(out, kMsgPrepareRun));
    ASSERT_EQ(1, Send(in, kMsgPrepareRun));
    Driver().TovelSimInjectFault(kSlot, kTovelSimFailOutPort, 3, 0, 42);
    sim::QueueInputBlock(out.record, 0, {5, 0, 5});
    Process(out);
    Process(in);
    EXPECT_THAT(Written(), ElementsAre(1, 0, 1));
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ("LogSlot = 1\nChannel = 0\nErrCode = 42", sim::Warnings()[0].text);
    ASSERT_EQ(1u, sim::CapturedBlocks(in.record->pOutputChannel[0]).size());
    EXPECT_THAT(sim::CapturedBlocks(in.record->pOutputChannel[0])[0].samples, ElementsAre(0, 0, 0))
        << "the port holds the 0 written before the failed write";

    sim::SetDefaultActionResult(-7);
    EXPECT_EQ(-7, Send(out, 999, 11, &out));
    ASSERT_FALSE(sim::DefaultActions().empty());
    EXPECT_EQ(11, sim::DefaultActions().back().argument);
    EXPECT_EQ(&out, sim::DefaultActions().back().pointer);

    sim::SetCurrentModulePtr(out.record);
    DialogScript settings;
    settings.Then([](HWND d) { SendMessageA(d, WM_COMMAND, kCommandMore, 0); }).Then([](HWND d) { Click(d, IDOK); });
    {
        ArmedScripts armed({&settings});
        Send(out, kMsgSettings);
    }
    EXPECT_TRUE(settings.Completed());
    ASSERT_FALSE(sim::SizeChanges().empty());
    EXPECT_EQ(2u, sim::SizeChanges().back().inputs);
    EXPECT_EQ(1, FinishKorvu());
    EXPECT_EQ(0, Driver().TovelSimIsOpen(kSlot)) << "finish closed the board";
    EXPECT_EQ(0, sim::LiveStackedObjects()) << "the dialog font handed back";
}

INSTANTIATE_TEST_SUITE_P(HostAndDriver, EitherConvention,
                         testing::Values("none", "stdcall-services", "cdecl-driver", "stdcall-services,cdecl-driver"));
