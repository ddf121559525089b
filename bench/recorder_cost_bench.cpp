// What the host recorder adds to a call into the plug-in and to a call of a
// host service: the same calls with the plug-in loaded as the host loads it,
// and with the recorder in front of it (recording every call to its file,
// its writer running), in one run. A process call of a paused "Tovel OUT"
// calls no service; one of a "Tovel IN" of eight channels whose host has no
// block for them calls GetCurrentOutputBlock eight times. The fastest of
// many rounds of each is kept, so that what else the machine does, which
// only ever adds time, does not decide the difference.

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_session.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"

namespace {

const int kRounds = 200;
const int kCallsPerRound = 500;

struct Costs {
    double process;  // ns per process call that calls no service
    double services; // ns per process call that calls eight
};

double Fastest(sim::Module& m)
{
    double fastest = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const double start = SecondsNow();
        for (int i = 0; i < kCallsPerRound; ++i)
            m.process(m.record);
        fastest = std::min(fastest, SecondsNow() - start);
    }
    return fastest / kCallsPerRound * 1e9;
}

bool Measure(const char* plugin, Costs* costs)
{
    BenchSession session;
    if (!session.Start(plugin))
        return false;
    sim::SetBlockSize(10);
    sim::SetMilliSecondsPerSample(80.0);
    sim::SetExperimentRunning(true);
    sim::Module out = sim::CreateModule(*session.Class("Tovel OUT"), sim::HostWindow());
    sim::Module in = sim::CreateModule(*session.Class("Tovel IN"), sim::HostWindow());
    out.record->uiNumberOfInputs = 8;
    in.record->uiNumberOfOutputs = 8;
    for (sim::Module* m : {&out, &in}) {
        m->handler(m->record, kMsgReattach, 0, nullptr);
        m->handler(m->record, kMsgPrepareRun, 0, nullptr);
    }
    sim::SetExperimentPaused(true);
    costs->process = Fastest(out);
    sim::SetExperimentPaused(false);
    sim::SetOutputBlocksAvailable(false);
    costs->services = Fastest(in);
    for (sim::Module* m : {&out, &in}) {
        m->handler(m->record, kMsgEndRun, 0, nullptr);
        m->handler(m->record, kMsgRemove, 0, nullptr);
        sim::DestroyModule(*m);
    }
    session.Stop();
    return true;
}

}  // namespace

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / "korvu_recorder_cost_bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(Widen(PathBesideProgram("host-recorder\\Korvu_ux1.dll")), folder / "Korvu_ux1.dll");
    std::filesystem::copy_file(Widen(PathBesideProgram("Korvu_ux1.dll")), folder / "Korvu_ux1_plugin.dll");
    std::ofstream(folder / "korvu_recorder.ini")
        << "[recorder]\nfile=" << Narrow((folder / "recording.csv").wstring()) << "\nlimit_kb=0\n";

    Costs alone, recorded;
    if (!Measure(nullptr, &alone) || !Measure(Narrow((folder / "Korvu_ux1.dll").wstring()).c_str(), &recorded)) {
        printf("the plug-in, alone or behind the recorder, would not set up\n");
        return 1;
    }
    const double perProcess = recorded.process - alone.process;
    const double perService = (recorded.services - alone.services - perProcess) / 8;
    printf("process calls, %d a round, fastest of %d rounds\n", kCallsPerRound, kRounds);
    printf("  calling no service : %7.1f ns alone, %7.1f ns through the recorder\n", alone.process, recorded.process);
    printf("  calling eight      : %7.1f ns alone, %7.1f ns through the recorder\n", alone.services, recorded.services);
    printf("  the recorder's cost: %7.1f ns a process call, %7.1f ns a service call\n", perProcess, perService);
    std::error_code kept;  // a folder left behind is no reason to fail
    std::filesystem::remove_all(folder, kept);
    return 0;
}
