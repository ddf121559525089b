// What the trace driver adds to a port write: TovelOutPort straight into the
// simulated driver, and through the trace driver in front of another copy of
// it (recording to a file, its writer running), timed in short alternating
// rounds; the fastest round of each is kept, so that what else the machine
// does, which only ever adds time, does not decide the difference.

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_session.h"
#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/common/utf8.h"

namespace {

const int kRounds = 200;
const uint32_t kWrites = 5000;  // a round: this many writes one way, then as many the other

double FastestRound(TovelOutPortFn outPort, double fastest)
{
    const double start = SecondsNow();
    for (uint32_t n = 0; n < kWrites; ++n)
        outPort(0, 0, n & 0xFF);
    return std::min(fastest, SecondsNow() - start);
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / "korvu_trace_cost_bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(Widen(sim::PluginPathBesideExe("trace-driver\\tovel.dll")), folder / "tovel.dll");
    std::filesystem::copy_file(Widen(DriverFolder("full") + "\\tovel.dll"), folder / "tovel_maker.dll");
    // A ring that holds every call of the run: the rounds call far faster
    // than a host does, and a call that finds the ring full costs less.
    std::ofstream(folder / "tovel_trace.ini") << "[trace]\nfile=" << Narrow((folder / "trace.csv").wstring())
                                             << "\nring=2097152\n";

    SimDriver alone, behind;
    if (!alone.Load("full") || !behind.LoadFile(Narrow((folder / "tovel_maker.dll").wstring()))) {
        printf("the simulated drivers would not load\n");
        return 1;
    }
    UseDefaultBoard(alone);
    UseDefaultBoard(behind);
    HMODULE tracer = LoadLibraryW((folder / "tovel.dll").c_str());
    TovelOutPortFn direct = ProcAddress<TovelOutPortFn>(alone.Module(), "TovelOutPort");
    TovelOutPortFn traced = ProcAddress<TovelOutPortFn>(tracer, "TovelOutPort");
    TovelCreateFn create = ProcAddress<TovelCreateFn>(alone.Module(), "TovelCreate");
    TovelCreateFn tracedCreate = ProcAddress<TovelCreateFn>(tracer, "TovelCreate");
    uint32_t slot = 0, tracedSlot = 0;
    if (!direct || !traced || create(&slot) != 1 || tracedCreate(&tracedSlot) != 1) {
        printf("the trace driver would not pass the calls on\n");
        return 1;
    }
    alone.TovelSimSetTraceLimit(0);  // neither copy keeps a trace of its own
    behind.TovelSimSetTraceLimit(0);

    double directSeconds = 1e9, tracedSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        directSeconds = FastestRound(direct, directSeconds);
        tracedSeconds = FastestRound(traced, tracedSeconds);
    }
    FreeLibrary(tracer);
    std::ifstream csv(folder / "trace.csv", std::ios::binary);
    long long recorded = 0, dropped = 0;
    for (std::string line; std::getline(csv, line);) {
        long long n = 0;
        if (sscanf(line.c_str(), "# dropped %lld", &n) == 1)
            dropped += n;
        recorded += line[0] >= '0' && line[0] <= '9';
    }
    const double directNs = directSeconds / kWrites * 1e9, tracedNs = tracedSeconds / kWrites * 1e9;
    printf("TovelOutPort, %u writes a round, fastest of %d rounds each way\n", kWrites, kRounds);
    printf("  the simulated driver alone       : %7.1f ns per write\n", directNs);
    printf("  through the trace driver         : %7.1f ns per write\n", tracedNs);
    printf("  the trace driver's cost          : %7.1f ns per write (aim: under 200)\n", tracedNs - directNs);
    printf("  its file: %lld calls recorded, %lld dropped for a full ring, of %u\n", recorded, dropped,
           kRounds * kWrites + 1);
    csv.close();
    alone.Unload();
    behind.Unload();
    std::error_code kept;  // a folder left behind is no reason to fail
    std::filesystem::remove_all(folder, kept);
    return 0;
}
