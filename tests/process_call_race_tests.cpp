// Process calls and their interrupts from two threads at once, as a host
// that runs process functions on a thread of its own and messages on its
// user-interface thread does. The interrupting thread is held still at
// whatever point it has reached while the other gives module M's entry up
// and claims it for module N's call; whatever that point, the interrupt,
// which names M, never marks N's call.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "modules/process_call.h"

namespace {

ModuleRecord g_m, g_n;  // only their addresses count

struct Interrupter {
    volatile LONG stop;
    volatile LONG rounds;
};

DWORD WINAPI InterruptM(void* parameter)
{
    Interrupter* shared = static_cast<Interrupter*>(parameter);
    while (!shared->stop) {
        InterruptProcessCall(&g_m);
        InterlockedIncrement(&shared->rounds);
    }
    return 0;
}

// Until the interrupting thread has gone round `rounds` more times.
void AwaitRounds(const Interrupter& shared, LONG rounds)
{
    const LONG until = shared.rounds + rounds;
    while (shared.rounds - until < 0)
        SwitchToThread();
}

}  // namespace

TEST(ProcessCallRace, AnInterruptNeverMarksTheCallThatTookItsEntryOver)
{
    const int kTrials = 4000;
    Interrupter shared = {};
    HANDLE thread = CreateThread(nullptr, 0, InterruptM, &shared, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    int marked = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        std::unique_ptr<ProcessCall> callOfM(new ProcessCall(&g_m));
        ASSERT_TRUE(callOfM->Entered());
        AwaitRounds(shared, 1);
        ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(thread));
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        GetThreadContext(thread, &context);  // returns once the thread is really held
        callOfM.reset();
        const ProcessCall callOfN(&g_n);     // takes the entry M's call gave up
        ASSERT_TRUE(callOfN.Entered());
        ResumeThread(thread);
        AwaitRounds(shared, 2);              // the interrupt held still has finished
        marked += callOfN.Interrupted();
    }
    shared.stop = 1;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(0, marked) << "of " << kTrials << " calls of N, interrupted by an interrupt of M";
}

TEST(ProcessCallRace, AnInterruptMarksTheCallOfTheModuleItNames)
{
    const ProcessCall call(&g_m);
    ASSERT_TRUE(call.Entered());
    InterruptProcessCall(&g_n);
    EXPECT_FALSE(call.Interrupted());
    InterruptProcessCall(&g_m);
    EXPECT_TRUE(call.Interrupted());
    const ProcessCall nested(&g_m);
    EXPECT_FALSE(nested.Entered()) << "the module's call is in progress";
    InterruptProcessCall(nullptr);
    const ProcessCall other(&g_n);
    EXPECT_TRUE(other.Entered());
    EXPECT_FALSE(other.Interrupted()) << "an interrupt of no module marks nothing";
}
