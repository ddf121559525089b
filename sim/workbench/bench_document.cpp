#include "sim/workbench/bench_document.h"

#include <commdlg.h>

#include "sim/common/utf8.h"
#include "sim/host/sim_host.h"
#include "sim/workbench/bench_file.h"
#include "sim/workbench/bench_window.h"

namespace workbench {

namespace {

const UINT kHostPlaceholder = 100;  // the simulated host's own File entry

struct FileCommand {
    UINT id;
    const wchar_t* text;  // null: a separator
};
const FileCommand kFileCommands[] = {
    {kCmdNew, L"&New bench"}, {kCmdOpen, L"&Open bench..."}, {kCmdSave, L"&Save bench"},
    {kCmdSaveAs, L"Save bench &as..."}, {0, nullptr}, {kCmdExit, L"E&xit"},
};

void Warn(const std::string& text)
{
    MessageBoxW(sim::HostWindow(), Widen(text).c_str(), L"Bench", MB_OK | MB_ICONWARNING);
}

std::string AskForFile(bool save)
{
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = sim::HostWindow();
    ofn.lpstrFilter = L"Bench files (*.bench)\0*.bench\0All files\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"bench";
    ofn.Flags = save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return chosen ? Narrow(path) : std::string();
}

// To its own file, or one the person names; false when cancelled or failed.
bool Save(Bench& bench, bool askForName)
{
    const std::string path = askForName || bench.path.empty() ? AskForFile(true) : bench.path;
    std::string error;
    if (path.empty())
        return false;
    if (!SaveBench(bench, path, &error)) {
        Warn(error);
        return false;
    }
    return true;
}

void Open(Bench& bench)
{
    if (!MayDiscard(bench, L"opening another"))
        return;
    const std::string path = AskForFile(false);
    std::string problems;
    if (!path.empty() && !OpenBench(bench, path, &problems))
        Warn(problems);
}

void New(Bench& bench)
{
    if (!MayDiscard(bench, L"starting a new one"))
        return;
    RemoveAllModules(bench);
    const Bench defaults;
    bench.msPerSample = defaults.msPerSample;
    bench.blockSize = defaults.blockSize;
    bench.path.clear();
    bench.savedText = BenchText(bench);
}

}  // namespace

void AddFileCommands(HMENU file)
{
    DeleteMenu(file, kHostPlaceholder, MF_BYCOMMAND);
    for (const FileCommand& c : kFileCommands)
        AppendMenuW(file, c.text ? MF_STRING : MF_SEPARATOR, c.id, c.text);
}

void RemoveFileCommands(HMENU file)
{
    for (int i = GetMenuItemCount(file) - 1; i >= 0; --i)
        DeleteMenu(file, i, MF_BYPOSITION);
    AppendMenuW(file, MF_STRING, kHostPlaceholder, L"(host)");
}

bool RunFileCommand(Bench& bench, UINT command)
{
    const bool opensOrClears = command == kCmdNew || command == kCmdOpen;
    if (opensOrClears && bench.running) {
        Warn("Stop the run first: its modules would go with the bench.");
        return true;
    }
    switch (command) {
    case kCmdNew: New(bench); return true;
    case kCmdOpen: Open(bench); return true;
    case kCmdSave: Save(bench, false); return true;
    case kCmdSaveAs: Save(bench, true); return true;
    case kCmdExit: PostMessageW(sim::HostWindow(), WM_CLOSE, 0, 0); return true;
    default: return false;
    }
}

bool MayDiscard(Bench& bench, const wchar_t* before)
{
    if (!HasUnsavedChanges(bench))
        return true;
    const std::wstring name = bench.path.empty() ? L"a file" : Widen(bench.path);
    const std::wstring question = L"The bench has changes that were never saved.\n\nSave them to " + name +
                                  L" before " + before + L"?";
    switch (MessageBoxW(sim::HostWindow(), question.c_str(), L"Bench", MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES: return Save(bench, false);
    case IDNO: return true;
    default: return false;
    }
}

std::wstring BenchFileTitle(const Bench& bench)
{
    if (bench.path.empty())
        return L"";
    const std::wstring path = Widen(bench.path);
    return L" — " + path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace workbench
