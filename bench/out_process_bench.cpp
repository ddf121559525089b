// What the output module's process function costs per port write, against a
// bare loop of the same driver calls under the same kind of lock.

#include <vector>

#include "bench/bench_session.h"
#include "board/tovel_api.h"
#include "frame/host/proc_address.h"

namespace {

const uint32_t kChannels = 8;
const uint32_t kBlockSize = 1000;
const int kCalls = 400;  // process calls; each writes kChannels * kBlockSize bytes

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
    if (m.handler(m.record, 105, 0, nullptr) != 1 || m.handler(m.record, 106, 0, nullptr) != 1) {
        printf("the module would not prepare\n");
        return 1;
    }
    std::vector<float> samples(kBlockSize);
    for (uint32_t j = 0; j < kBlockSize; ++j)
        samples[j] = (j / 7) % 2 ? 5.0f : 0.0f;
    for (uint32_t c = 0; c < kChannels; ++c)
        sim::SetEndlessInputBlock(m.record, c, samples);

    const double writes = static_cast<double>(kCalls) * kChannels * kBlockSize;
    double start = SecondsNow();
    for (int i = 0; i < kCalls; ++i)
        m.process(m.record);
    double processSeconds = SecondsNow() - start;

    TovelOutPortFn outPort = ProcAddress<TovelOutPortFn>(session.driver.Module(), "TovelOutPort");
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    start = SecondsNow();
    for (double n = 0; n < writes; ++n) {
        EnterCriticalSection(&lock);
        outPort(0, 0, static_cast<uint32_t>(n) & 0xFF);
        LeaveCriticalSection(&lock);
    }
    double bareSeconds = SecondsNow() - start;
    DeleteCriticalSection(&lock);

    printf("output module process function, %u channels x %u samples x %d calls = %.0f port writes\n", kChannels,
           kBlockSize, kCalls, writes);
    printf("  process function: %8.1f ns per write\n", processSeconds / writes * 1e9);
    printf("  bare locked loop: %8.1f ns per write\n", bareSeconds / writes * 1e9);
    printf("  ratio           : %8.2f\n", processSeconds / bareSeconds);

    m.handler(m.record, 107, 0, nullptr);
    m.handler(m.record, 102, 0, nullptr);
    sim::DestroyModule(m);
    session.Stop();
    return 0;
}
