// The host program at three run lengths, with blocks of 100 samples and of
// 10: its port transfers a second and its peak memory at 10^4, 10^6 and 10^7
// samples per channel (eight channels, a write and a read for each sample).
// The memory should not grow with the run, and small blocks should cost
// about what large ones do per transfer.
//
//   host_scale_bench [korvu_host.exe ...]
//
// Each host program named (default: the one beside this) runs every case in
// turn, so that an earlier build and this one are measured in the same run.
// KORVU_SCALE_LONGEST sets the longest run's samples per channel.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/host/sim_host.h"

namespace {

const int kBlockSizes[] = {100, 10};

// The host program's report line for a run of `samples` per channel.
std::string RunHost(const std::string& program, long long samples, int blockSize)
{
    const std::string out = PathBesideProgram("host_scale_bench_output");
    const std::string command = "\"" + program + "\" --blocks " +
                                std::to_string(samples / blockSize) + " --block-size " +
                                std::to_string(blockSize) + " --out \"" + out + "\"";
    std::wstring line = Widen(command);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    si.hStdOutput = si.hStdError = nul;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return "korvu_host.exe did not start";
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    std::string found = "no run time in the report";
    if (FILE* f = _wfopen(Widen(out + "\\report.txt").c_str(), L"r")) {
        char text[512];
        while (fgets(text, sizeof text, f)) {
            if (std::string(text).compare(0, 9, "Run time:") == 0)
                found = std::string(text + 10, strcspn(text + 10, "\n"));
            if (std::string(text).compare(0, 19, "Result: NOT as exp") == 0)
                found += " (the run was NOT as expected)";
        }
        fclose(f);
    }
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<std::string> programs(argv + 1, argv + argc);
    if (programs.empty())
        programs.push_back(PathBesideProgram("korvu_host.exe"));
    const char* longest = getenv("KORVU_SCALE_LONGEST");
    const long long lengths[] = {10000, 1000000, longest && *longest ? atoll(longest) : 10000000};
    printf("the host program's scripted run, 8 channels\n");
    for (long long samples : lengths) {
        for (int blockSize : kBlockSizes) {
            for (const std::string& program : programs)
                printf("  %9lld samples per channel, blocks of %3d%s%s: %s\n", samples, blockSize,
                       programs.size() > 1 ? ", " : "", programs.size() > 1 ? program.c_str() : "",
                       RunHost(program, samples, blockSize).c_str());
        }
    }
    return 0;
}
