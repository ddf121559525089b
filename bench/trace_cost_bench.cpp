// What the trace driver adds to a port write, and how many calls a second
// its writer keeps up with.
//
// The cost: TovelOutPort straight into the simulated driver, and through the
// trace driver in front of another copy of it (recording to a file, its
// writer running), timed in short alternating rounds; the fastest round of
// each is kept, so that what else the machine does, which only ever adds
// time, does not decide the difference.
//
// The writer's rate: calls as fast as they come with full=wait, so that none
// is dropped and the calls go at the pace the ring is emptied (by the writer,
// and by calls that find it full); then the default settings (ring and
// interval) at a steady pace, from four fifths of that one down by fifths
// until a pace drops nothing: the rate a host may keep up with no call lost.
//
// Arguments: trace drivers to measure, one after the other in this run (say,
// the one built here and one built from an earlier commit); none: the one in
// trace-driver\ beside this program.

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_session.h"
#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"

namespace {

const int kRounds = 200;
const uint32_t kWrites = 5000;     // a round: this many writes one way, then as many the other
const uint32_t kFloodCalls = 1000000;
const double kPacedSeconds = 3.0;

double FastestRound(TovelOutPortFn outPort, double fastest)
{
    const double start = SecondsNow();
    for (uint32_t n = 0; n < kWrites; ++n)
        outPort(0, 0, n & 0xFF);
    return std::min(fastest, SecondsNow() - start);
}

struct Traced {
    std::filesystem::path folder;
    SimDriver behind;
    HMODULE tracer = nullptr;
    TovelOutPortFn out = nullptr;

    // The trace driver at `driver` in a folder of its own, the simulated
    // driver behind it, slot 0 opened.
    bool Start(const std::wstring& driver, const std::string& settings)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / "korvu_trace_cost_bench";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(driver, folder / "tovel.dll");
        std::filesystem::copy_file(Widen(DriverFolder("full") + "\\tovel.dll"), folder / "tovel_maker.dll");
        std::ofstream(folder / "tovel_trace.ini")
            << "[trace]\nfile=" << Narrow((folder / "trace.csv").wstring()) << "\n" << settings;
        if (!behind.LoadFile(Narrow((folder / "tovel_maker.dll").wstring())))
            return false;
        UseDefaultBoard(behind);
        tracer = LoadLibraryW((folder / "tovel.dll").c_str());
        out = ProcAddress<TovelOutPortFn>(tracer, "TovelOutPort");
        TovelCreateFn create = ProcAddress<TovelCreateFn>(tracer, "TovelCreate");
        uint32_t slot = 0;
        if (!out || !create || create(&slot) != 1)
            return false;
        behind.TovelSimSetTraceLimit(0);  // the simulated driver keeps no trace of its own
        return true;
    }

    // Unloads, which writes the file out; the calls it holds and those it dropped.
    void Stop(long long* recorded, long long* dropped)
    {
        FreeLibrary(tracer);
        behind.Unload();
        std::ifstream csv(folder / "trace.csv", std::ios::binary);
        *recorded = *dropped = 0;
        for (std::string line; std::getline(csv, line);) {
            long long n = 0;
            if (sscanf(line.c_str(), "# dropped %lld", &n) == 1)
                *dropped += n;
            *recorded += line[0] >= '0' && line[0] <= '9';
        }
        csv.close();
        std::error_code kept;  // a folder left behind is no reason to fail
        std::filesystem::remove_all(folder, kept);
    }
};

void MeasureCost(const std::wstring& driver, SimDriver& alone)
{
    // A ring that holds every call of the rounds: they call far faster than
    // a host does, and a call that finds the ring full costs less.
    Traced t;
    if (!t.Start(driver, "ring=1048576\n")) {
        printf("  the trace driver would not pass the calls on\n");
        return;
    }
    TovelOutPortFn direct = ProcAddress<TovelOutPortFn>(alone.Module(), "TovelOutPort");
    double directSeconds = 1e9, tracedSeconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        directSeconds = FastestRound(direct, directSeconds);
        tracedSeconds = FastestRound(t.out, tracedSeconds);
    }
    long long recorded, dropped;
    t.Stop(&recorded, &dropped);
    const double directNs = directSeconds / kWrites * 1e9, tracedNs = tracedSeconds / kWrites * 1e9;
    printf("  cost, %u writes a round, fastest of %d rounds each way: %.1f ns alone, %.1f ns through the trace "
           "driver, %.1f ns for the trace driver (aim: under 200); %lld calls recorded, %lld dropped, of %u\n",
           kWrites, kRounds, directNs, tracedNs, tracedNs - directNs, recorded, dropped, kRounds * kWrites + 1);
}

// Calls written a second, nothing dropped.
double MeasureWriterRate(const std::wstring& driver)
{
    Traced t;
    if (!t.Start(driver, "full=wait\n"))
        return 0;
    const double start = SecondsNow();
    for (uint32_t n = 0; n < kFloodCalls; ++n)
        t.out(0, 0, n & 0xFF);
    const double seconds = SecondsNow() - start;
    long long recorded, dropped;
    t.Stop(&recorded, &dropped);
    const double rate = kFloodCalls / seconds;
    printf("  writer, full=wait: %u calls in %.2f s, %.0f calls a second written; %lld recorded, %lld dropped\n",
           kFloodCalls, seconds, rate, recorded, dropped);
    return rate;
}

// Dropped calls at a steady `rate` for a few seconds, default settings.
long long DroppedAtPace(const std::wstring& driver, double rate, uint64_t* made)
{
    Traced t;
    if (!t.Start(driver, ""))
        return -1;
    const double start = SecondsNow();
    *made = 0;
    for (double now = start; now - start < kPacedSeconds; now = SecondsNow()) {
        const uint64_t due = static_cast<uint64_t>((now - start) * rate);
        for (; *made < due; ++*made)
            t.out(0, 0, *made & 0xFF);
    }
    long long recorded, dropped;
    t.Stop(&recorded, &dropped);
    return dropped;
}

void MeasureSustainedRate(const std::wstring& driver, double flooded)
{
    for (double rate = flooded * 4 / 5; rate > flooded / 20; rate = rate * 4 / 5) {
        uint64_t made = 0;
        const long long dropped = DroppedAtPace(driver, rate, &made);
        printf("  default ring and interval at %.0f calls a second for %.0f s: %llu calls, %lld dropped\n", rate,
               kPacedSeconds, static_cast<unsigned long long>(made), dropped);
        if (dropped == 0) {
            printf("  sustained: %.0f calls a second written with nothing dropped\n", rate);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<std::wstring> drivers;
    for (int i = 1; i < argc; ++i)
        drivers.push_back(Widen(argv[i]));
    if (drivers.empty())
        drivers.push_back(Widen(PathBesideProgram("trace-driver\\tovel.dll")));
    SimDriver alone;
    if (!alone.Load("full")) {
        printf("the simulated driver would not load\n");
        return 1;
    }
    UseDefaultBoard(alone);
    uint32_t slot = 0;
    ProcAddress<TovelCreateFn>(alone.Module(), "TovelCreate")(&slot);
    alone.TovelSimSetTraceLimit(0);
    for (const std::wstring& driver : drivers) {
        printf("%s\n", Narrow(driver).c_str());
        MeasureCost(driver, alone);
        const double rate = MeasureWriterRate(driver);
        if (rate > 0)
            MeasureSustainedRate(driver, rate);
    }
    return 0;
}
