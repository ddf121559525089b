// The host program at three run lengths: its port transfers a second and its
// peak memory at 10^4, 10^6 and 10^7 samples per channel (eight channels, a
// write and a read for each sample). The memory should not grow with the run.
//
// KORVU_SCALE_LONGEST sets the longest run's samples per channel.

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "sim/common/utf8.h"
#include "sim/host/sim_host.h"

namespace {

const int kBlockSize = 100;

// The host program's report line for a run of `samples` per channel.
std::string RunHost(long long samples)
{
    const std::string out = sim::PluginPathBesideExe("host_scale_bench_output");
    const std::string command = "\"" + sim::PluginPathBesideExe("korvu_host.exe") + "\" --blocks " +
                                std::to_string(samples / kBlockSize) + " --block-size " +
                                std::to_string(kBlockSize) + " --out \"" + out + "\"";
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

int main()
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const char* longest = getenv("KORVU_SCALE_LONGEST");
    const long long lengths[] = {10000, 1000000, longest && *longest ? atoll(longest) : 10000000};
    printf("the host program's scripted run, 8 channels, blocks of %d samples\n", kBlockSize);
    for (long long samples : lengths)
        printf("  %9lld samples per channel: %s\n", samples, RunHost(samples).c_str());
    return 0;
}
