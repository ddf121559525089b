// What the output module's process function costs per port write, against a
// bare loop of the same driver calls under the same kind of lock. The two
// are timed in many short alternating rounds (one process call, then as many
// bare writes) and the fastest round of each is kept, so that what else the
// machine does, which only ever adds time, does not decide the ratio.

#include <algorithm>
#include <vector>

#include "bench/bench_session.h"
#include "board/tovel_api.h"
#include "host/proc_address.h"

namespace {

const uint32_t kChannels = 8;
const uint32_t kBlockSize = 1000;
const int kRounds = 1000;  // each: one process call of kChannels * kBlockSize writes, then as many bare ones

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    BenchSession session;
    if (!session.Start())
        return 1;

    sim::SetBlockSize(kBlockSize);
    sim::SetMilliSecondsPerSample(10.0 * kChannels);
    sim::SetExperimentRunning(true);
    sim::Module m = sim::CreateModule(*session.Class("Tovel OUT"), sim::HostWindow());
    m.record->uiNumberOfInputs = kChannels;
    if (m.handler(m.record, kMsgReattach, 0, nullptr) != 1 || m.handler(m.record, kMsgPrepareRun, 0, nullptr) != 1) {
        printf("the module would not prepare\n");
        return 1;
    }
    std::vector<float> samples(kBlockSize);
    for (uint32_t j = 0; j < kBlockSize; ++j)
        samples[j] = (j / 7) % 2 ? 5.0f : 0.0f;
    for (uint32_t c = 0; c < kChannels; ++c)
        sim::SetEndlessInputBlock(m.record, c, samples);

    TovelOutPortFn outPort = ProcAddress<TovelOutPortFn>(session.driver.Module(), "TovelOutPort");
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    const uint32_t writes = kChannels * kBlockSize;
    double processSeconds = 1e9, bareSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        double start = SecondsNow();
        m.process(m.record);
        processSeconds = std::min(processSeconds, SecondsNow() - start);

        start = SecondsNow();
        for (uint32_t n = 0; n < writes; ++n) {
            EnterCriticalSection(&lock);
            outPort(0, 0, n & 0xFF);
            LeaveCriticalSection(&lock);
        }
        bareSeconds = std::min(bareSeconds, SecondsNow() - start);
    }
    DeleteCriticalSection(&lock);

    printf("output module process function, %u channels x %u samples = %u port writes a call, "
           "fastest of %d rounds\n", kChannels, kBlockSize, writes, kRounds);
    printf("  process function: %8.1f ns per write\n", processSeconds / writes * 1e9);
    printf("  bare locked loop: %8.1f ns per write\n", bareSeconds / writes * 1e9);
    printf("  ratio           : %8.3f\n", processSeconds / bareSeconds);

    m.handler(m.record, kMsgEndRun, 0, nullptr);
    m.handler(m.record, kMsgRemove, 0, nullptr);
    sim::DestroyModule(m);
    session.Stop();
    return 0;
}
