// What the output module's process function costs per port write, against a
// bare loop of the same driver calls under the same kind of lock. The two
// are timed in many short alternating rounds (one process call, then as many
// bare writes) and the fastest round of each is kept, so that what else the
// machine does, which only ever adds time, does not decide the ratio.
//
// Arguments: the plug-ins to measure, one after the other in this run (say,
// the one built here and one built from an earlier commit); none: the one
// beside this program.

#include <algorithm>
#include <vector>

#include "bench/bench_session.h"
#include "board/tovel_api.h"
#include "host/proc_address.h"

namespace {

const uint32_t kChannels = 8;
const uint32_t kBlockSizes[] = {1000, 4096};
const int kWritesPerShape = 8000000;  // the rounds of each shape come to this many writes of each kind

struct Shape {
    double processNs, bareNs;
};

Shape Measure(BenchSession& session, uint32_t blockSize)
{
    sim::SetBlockSize(blockSize);
    sim::SetMilliSecondsPerSample(10.0 * kChannels);
    sim::SetExperimentRunning(true);
    sim::Module m = sim::CreateModule(*session.Class("Tovel OUT"), sim::HostWindow());
    m.record->uiNumberOfInputs = kChannels;
    if (m.handler(m.record, kMsgReattach, 0, nullptr) != 1 || m.handler(m.record, kMsgPrepareRun, 0, nullptr) != 1) {
        printf("the module would not prepare\n");
        return Shape{0, 0};
    }
    std::vector<float> samples(blockSize);
    for (uint32_t j = 0; j < blockSize; ++j)
        samples[j] = (j / 7) % 2 ? 5.0f : 0.0f;
    for (uint32_t c = 0; c < kChannels; ++c)
        sim::SetEndlessInputBlock(m.record, c, samples);

    TovelOutPortFn outPort = ProcAddress<TovelOutPortFn>(session.driver.Module(), "TovelOutPort");
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    const uint32_t writes = kChannels * blockSize;
    double processSeconds = 1e9, bareSeconds = 1e9;
    for (int round = 0; round < kWritesPerShape / static_cast<int>(writes); ++round) {
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
    m.handler(m.record, kMsgEndRun, 0, nullptr);
    m.handler(m.record, kMsgRemove, 0, nullptr);
    sim::DestroyModule(m);
    return Shape{processSeconds / writes * 1e9, bareSeconds / writes * 1e9};
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<const char*> plugins(argv + 1, argv + argc);
    if (plugins.empty())
        plugins.push_back(nullptr);
    for (const char* plugin : plugins) {
        BenchSession session;
        if (!session.Start(plugin))
            return 1;
        printf("%s\n", plugin ? plugin : "Korvu_ux1.dll beside this program");
        for (uint32_t blockSize : kBlockSizes) {
            const Shape s = Measure(session, blockSize);
            printf("  %u channels x %4u samples, fastest of %d rounds: process function %6.1f ns a write, "
                   "bare locked loop %6.1f ns, ratio %.3f\n",
                   kChannels, blockSize, kWritesPerShape / static_cast<int>(kChannels * blockSize), s.processNs,
                   s.bareNs, s.processNs / s.bareNs);
        }
        session.Stop();
    }
    return 0;
}
