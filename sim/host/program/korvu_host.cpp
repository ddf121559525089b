// The host simulator as a program: loads Korvu_ux1.dll as the host does,
// binds it, and runs a scripted experiment on the simulated board (or, with
// --interactive, shows the host window for a person to use).

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim/host/program/host_session.h"
#include "sim/host/program/interactive.h"
#include "sim/host/program/scripted_run.h"

namespace {

void Usage()
{
    printf("korvu_host [options]\n"
           "  --blocks N            input blocks per channel (default 200)\n"
           "  --block-size N        samples per block (default 10)\n"
           "  --ms X                milliseconds per sample (default 80, the least for eight channels)\n"
           "  --ini FILE            the simulated boards and wiring (see drivers\\tovel.ini.example)\n"
           "  --fail-after-writes N remove the board after N port writes\n"
           "  --out DIR             where the report and pictures go\n"
           "  --interactive         show the host window with the plug-in's menu\n");
}

bool ParseOptions(int argc, char** argv, HostOptions* o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--help") {
            return false;
        } else if (a == "--interactive") {
            o->interactive = true;
        } else if (a == "--blocks" && hasValue) {
            o->blocks = atoi(argv[++i]);
        } else if (a == "--block-size" && hasValue) {
            o->blockSize = atoi(argv[++i]);
        } else if (a == "--ms" && hasValue) {
            o->msPerSample = atof(argv[++i]);
        } else if (a == "--ini" && hasValue) {
            o->ini = argv[++i];
        } else if (a == "--fail-after-writes" && hasValue) {
            o->failAfterWrites = atoi(argv[++i]);
        } else if (a == "--out" && hasValue) {
            o->outDir = argv[++i];
        } else {
            return false;
        }
    }
    return o->blocks > 0 && o->blockSize > 0 && o->blockSize <= 65535;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    HostOptions options;
    if (!ParseOptions(argc, argv, &options)) {
        Usage();
        return 2;
    }
    if (options.outDir.empty())
        options.outDir = sim::PluginPathBesideExe("..\\korvu_host_output");
    char full[MAX_PATH];
    if (GetFullPathNameA(options.outDir.c_str(), MAX_PATH, full, nullptr))
        options.outDir = full;
    CreateDirectoryA(options.outDir.c_str(), nullptr);

    if (!sim::StartHost()) {
        printf("the host window could not be created\n");
        return 1;
    }
    HostSession session;
    std::string error;
    if (!session.LoadDriver(options, &error) || !session.LoadPlugin(&error)) {
        printf("%s\n", error.c_str());
        return 1;
    }
    int result = options.interactive ? RunInteractive(session) : RunScriptedExperiment(session, options);
    session.Finish();
    for (const std::string& p : sim::TakeProblems()) {
        printf("host simulator: %s\n", p.c_str());
        result = 1;
    }
    return result;
}
