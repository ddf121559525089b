// The virtual bench driven as a person drives it: menu commands in the host
// window, clicks on the board panel, the plug-in's own dialogs; the run on a
// clock the test advances.

#include <gmock/gmock.h>

#include <string.h>

#include <fstream>
#include <sstream>

#include "controls/controls.h"
#include "resources/resource_ids.h"
#include "sim/user/dialog_script.h"
#include "sim/pictures/screenshot.h"
#include "sim/workbench/bench_dialogs.h"
#include "sim/workbench/bench_file.h"
#include "sim/workbench/bench_window.h"
#include "sim/workbench/board_panel.h"
#include "sim/workbench/live_view.h"
#include "tests/kit/plugin_fixture.h"

using namespace workbench;
using testing::HasSubstr;

namespace {

const int kChannels = 3;

class BenchTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        UseDefaultBoard(Driver());
        SetupKorvuOrFail();
        bench_.driver = &Driver();
        bench_.plugin = Dll();
        OpenBenchWindow(bench_, false);
        sim::SetCaptureOutputBlocks(true);  // the bench keeps none; the tests look at every one
        ShowWindow(sim::HostWindow(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override
    {
        RemoveAllModules(bench_);
        CloseBenchWindow();
        SetWallClock(nullptr);
        ShowWindow(sim::HostWindow(), SW_HIDE);
        PluginTest::TearDown();
    }

    // A menu command, as the menu sends it, with the scripts for the dialogs it opens.
    // A box nobody expected fails the test instead of waiting for a person.
    void Menu(UINT command, std::vector<DialogScript*> scripts = {})
    {
        Send(WM_COMMAND, MAKEWPARAM(command, 0), scripts);
    }
    // The window's close box; true when the bench let the window go.
    bool Close(std::vector<DialogScript*> scripts = {})
    {
        Send(WM_CLOSE, 0, scripts);
        MSG quit;
        return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    void Send(UINT message, WPARAM wParam, std::vector<DialogScript*> scripts)
    {
        DialogScript stray;
        stray.Then([](HWND d) {
            ADD_FAILURE() << "an unexpected box: " << ControlTextA(d, 0xFFFF);
            Click(d, IDOK);
            Click(d, IDCANCEL);
        });
        scripts.push_back(&stray);
        {
            ArmedScripts armed(scripts);
            SendMessageW(sim::HostWindow(), message, wParam, 0);
        }
        scripts.pop_back();
        for (DialogScript* s : scripts)
            EXPECT_TRUE(s->Completed());
    }
    void SelectModule(int row)
    {
        SendMessageW(GetDlgItem(sim::HostWindow(), kIdModuleList), LB_SETCURSEL, row, 0);
    }

    // OVRIN menu: the hardware selection dialog takes slot 0, port 0; the
    // settings dialog gives the module kChannels channels.
    void PlaceAndSetUp(UINT command, int row, const wchar_t* name)
    {
        DialogScript select;
        select.Then([](HWND d) {
            ClickListRow(d, IDC_BOARD_LIST, 0);
            SelectComboRow(d, IDC_PORT_LIST, 0);
            Click(d, IDOK);
        });
        Menu(command, {&select});
        SelectModule(row);
        DialogScript settings;
        settings.Then([name](HWND d) {
            Type(d, IDC_MODULE_NAME, name);
            for (int i = 1; i < kChannels; ++i) {
                SendMessageA(GetDlgItem(d, IDC_MORE), WM_LBUTTONDOWN, MK_LBUTTON, 0);
                SendMessageA(GetDlgItem(d, IDC_MORE), WM_LBUTTONUP, 0, 0);
            }
            Click(d, IDOK);
        });
        Menu(kCmdOpenModule, {&settings});
    }

    Bench bench_;
};

// The client area of a bench window as it paints itself.
struct Picture {
    HDC dc;
    HBITMAP bitmap;
    explicit Picture(HWND window)
    {
        RECT r;
        GetClientRect(window, &r);
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
        ReleaseDC(nullptr, screen);
        SelectObject(dc, bitmap);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    ~Picture()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    COLORREF At(const RECT& r) const { return GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2); }
};

void ClickAt(HWND window, const RECT& r)
{
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

// Every bit Tovel IN handed on, against what was fed to Tovel OUT.
void ExpectInFollowsOut(const Bench& bench)
{
    const engine::FedModule& out = bench.experiment.outputs[0];
    const sim::Module& in = bench.modules[1]->module;
    for (int c = 0; c < kChannels; ++c) {
        const std::vector<sim::CapturedBlock>& blocks = sim::CapturedBlocks(in.record->pOutputChannel[c]);
        size_t j = 0;
        for (const sim::CapturedBlock& b : blocks) {
            for (float s : b.samples) {
                ASSERT_LT(static_cast<long long>(j), bench.experiment.fed * bench.blockSize);
                EXPECT_EQ(engine::FedLevel(bench.experiment, out, c, j), s == engine::kHighVolts)
                    << "channel " << c << " sample " << j;
                ++j;
            }
        }
        EXPECT_GE(j, 8u * bench.blockSize) << "channel " << c;
    }
}

// The scenario a person goes through at the bench, step by step; each step
// starts where the one before left the bench.
class BenchScenario : public BenchTest {
protected:
    void SetTheRunAndTheSignalsByTheForms()
    {
        DialogScript run;
        run.Then([](HWND d) {
            Type(d, kIdMsPerSample, L"40");
            Type(d, kIdBlockSize, L"5");
            Click(d, IDOK);
        });
        Menu(kCmdRunSettings, {&run});
        EXPECT_EQ(40.0, bench_.msPerSample);
        EXPECT_EQ(5, bench_.blockSize);

        PlaceAndSetUp(IDM_TOVEL_OUT, 0, L"Pattern");
        PlaceAndSetUp(IDM_TOVEL_IN, 1, L"Readback");
        ASSERT_EQ(2u, bench_.modules.size());
        SelectModule(0);
        DialogScript signals;
        signals.Then([](HWND d) {
            SelectComboRow(d, kIdSignalKind + 2, 2);  // 5 V takes no number
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, kIdSignalNumber + 2)));
            SelectComboRow(d, kIdSignalKind + 1, 3);  // a counter bit takes one
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, kIdSignalNumber + 1)));
            SelectComboRow(d, kIdSignalKind + 1, 0);
            Type(d, kIdSignalNumber + 1, L"3");       // a square wave of six blocks
            Click(d, IDOK);
        });
        Menu(kCmdSignals, {&signals});
        EXPECT_EQ(engine::SignalKind::kHigh, bench_.modules[0]->sources[2].kind);
        EXPECT_EQ(3, bench_.modules[0]->sources[1].halfPeriodBlocks);
    }

    void RunWithThePanelFollowingTheBoard()
    {
        Menu(kCmdStart);
        ASSERT_TRUE(bench_.running);
        Menu(kCmdBoardPanel);
        Menu(kCmdLiveView);
        HWND panel = Panel();
        ASSERT_TRUE(panel);
        for (int step = 0; step < 12; ++step) {
            Advance(bench_, 197);
            ShowBenchState();  // as the bench's timer does
            const uint32_t written = Driver().TovelSimGetOutput(0, 0);
            Picture shown(panel);
            for (int line = 0; line < 8; ++line) {
                const bool on = (written >> line) & 1;
                EXPECT_EQ(on ? kOutputLampOn : kLampOff, shown.At(OutputLampRect(0, line))) << "line " << line;
                EXPECT_EQ(on ? kInputLampOn : kLampOff, shown.At(InputLampRect(0, line))) << "line " << line;
            }
            EXPECT_EQ(1u, (written >> 2) & 1);
        }
        ExpectInFollowsOut(bench_);
    }

    void NothingIsPlacedOrResizedDuringTheRun()
    {
        // A module placed now would take no part in the run: refused, with a word why.
        DialogScript refused;
        refused.Then([](HWND d) {
            EXPECT_THAT(ControlTextA(d, 0xFFFF), HasSubstr("Stop the run before placing a module"));
            Click(d, IDOK);
        });
        Menu(IDM_TOVEL_OUT, {&refused});
        EXPECT_EQ(2u, bench_.modules.size());
        SelectModule(1);
        DialogScript duringRun;
        duringRun.Then([](HWND d) {
            EXPECT_EQ(kMoreDisabled, ControlState(GetDlgItem(d, IDC_MORE)));
            EXPECT_EQ(kLessDisabled, ControlState(GetDlgItem(d, IDC_LESS)));
            Click(d, IDCANCEL);
        });
        Menu(kCmdOpenModule, {&duringRun});
    }

    void TakeTheScreenshots()
    {
        HWND panel = Panel();
        SaveScreenshot(sim::HostWindow(), "bench");
        RECT host;
        GetWindowRect(sim::HostWindow(), &host);
        MoveWindow(sim::HostWindow(), 0, 0, 466, 500, TRUE);
        SaveScreenshot(GetDesktopWindow(), "bench_all_windows");
        MoveWindow(sim::HostWindow(), host.left, host.top, host.right - host.left, host.bottom - host.top, TRUE);
        SaveScreenshot(panel, "bench_board_panel");
        SaveScreenshot(FindWindowW(L"KorvuBenchLiveView", nullptr), "bench_live_view");
    }

    void APauseHoldsAndAPulledBoardStopsTheRun()
    {
        HWND panel = Panel();
        ASSERT_TRUE(panel);
        Menu(kCmdPause);
        const uint64_t handedOn = engine::ReleasedBlocks(bench_.experiment.inputs[0]);
        Advance(bench_, 1000);
        EXPECT_EQ(handedOn, engine::ReleasedBlocks(bench_.experiment.inputs[0]));
        ClickAt(panel, PullButtonRect(0));
        EXPECT_TRUE(BoardPulled(Driver(), 0));
        SaveScreenshot(panel, "bench_board_panel_pulled");

        // Resumed, the output module's writes fail: one box per channel, each
        // with how often it came, and the plug-in stops the run.
        Menu(kCmdPause);
        Advance(bench_, 50);
        EXPECT_FALSE(bench_.running);
        std::vector<std::string> boxes;
        DialogScript warnings[16];  // more than channels x block size: ungrouped, they would all come
        for (DialogScript& w : warnings)
            w.Then([&](HWND d) {
                char caption[64] = "";
                GetWindowTextA(d, caption, sizeof caption);
                boxes.push_back(std::string(caption) + " | " + ControlTextA(d, 0xFFFF));
                Click(d, IDOK);
            });
        {
            ArmedScripts armed({&warnings[0], &warnings[1], &warnings[2], &warnings[3], &warnings[4], &warnings[5],
                                &warnings[6], &warnings[7], &warnings[8], &warnings[9], &warnings[10], &warnings[11],
                                &warnings[12], &warnings[13], &warnings[14], &warnings[15]});
            ShowBenchState();
        }
        ASSERT_EQ(static_cast<size_t>(kChannels), boxes.size());
        for (int c = 0; c < kChannels; ++c) {
            EXPECT_THAT(boxes[c], HasSubstr("Channel = " + std::to_string(c) + "\nErrCode = 99\n\n("));
            EXPECT_THAT(boxes[c], HasSubstr(" times)"));
        }
        ClickAt(panel, PullButtonRect(0));
        EXPECT_FALSE(BoardPulled(Driver(), 0));
        Menu(kCmdStop);
    }

    void SavedAndReopenedTheBenchIsTheSame()
    {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        const std::string path = std::string(folder) + "bench_test.bench";
        std::string error;
        ASSERT_TRUE(SaveBench(bench_, path, &error)) << error;
        std::stringstream saved;
        saved << std::ifstream(path).rdbuf();
        ASSERT_TRUE(OpenBench(bench_, path, &error)) << error;
        ASSERT_EQ(2u, bench_.modules.size());
        EXPECT_EQ(kOutputModule, bench_.modules[0]->kind);
        EXPECT_STREQ("Readback", bench_.modules[1]->module.record->szModuleName);
        EXPECT_EQ(kChannels, static_cast<int>(Channels(*bench_.modules[1])));
        EXPECT_EQ(engine::SignalKind::kHigh, bench_.modules[0]->sources[2].kind);
        EXPECT_EQ(40.0, bench_.msPerSample);
        ASSERT_TRUE(SaveBench(bench_, path, &error));
        std::stringstream again;
        again << std::ifstream(path).rdbuf();
        EXPECT_EQ(saved.str(), again.str());
        DeleteFileA(path.c_str());
    }

    void TheReopenedBenchRunsAsTheFirst()
    {
        // The reopened bench runs as the first did.
        Menu(kCmdStart);
        ASSERT_TRUE(bench_.running) << sim::Warnings().size() << " warnings";
        Advance(bench_, 3000);
        ExpectInFollowsOut(bench_);
        Menu(kCmdStop);
    }

    HWND Panel() const { return FindWindowW(L"KorvuBenchBoardPanel", nullptr); }
};

TEST_F(BenchScenario, APersonRunsPausesPullsTheBoardSavesAndReopens)
{
    ASSERT_NO_FATAL_FAILURE(SetTheRunAndTheSignalsByTheForms());
    ASSERT_NO_FATAL_FAILURE(RunWithThePanelFollowingTheBoard());
    ASSERT_NO_FATAL_FAILURE(NothingIsPlacedOrResizedDuringTheRun());
    ASSERT_NO_FATAL_FAILURE(TakeTheScreenshots());
    ASSERT_NO_FATAL_FAILURE(APauseHoldsAndAPulledBoardStopsTheRun());
    ASSERT_NO_FATAL_FAILURE(SavedAndReopenedTheBenchIsTheSame());
    ASSERT_NO_FATAL_FAILURE(TheReopenedBenchRunsAsTheFirst());
}

// The forms refuse a number in the words of the bench's files and the host
// program's options, and keep what was set.
TEST_F(BenchTest, TheFormsRefuseANumberAsTheFilesDo)
{
    PlaceAndSetUp(IDM_TOVEL_OUT, 0, L"Pattern");
    SelectModule(0);
    const Bench before = {};
    const int halfPeriod = bench_.modules[0]->sources[1].halfPeriodBlocks;
    const struct {
        UINT command;
        int id;
        const wchar_t* typed;
        const char* said;
    } cases[] = {
        {kCmdRunSettings, kIdMsPerSample, L"0", "Milliseconds per sample: '0' is not a number above 0, at most 1000000000."},
        {kCmdRunSettings, kIdBlockSize, L"65536", "Samples per block: '65536' is not a whole number from 1 to 65535."},
        {kCmdSignals, kIdSignalNumber + 1, L"1000001",
         "Channel 1, half period: '1000001' is not a whole number from 1 to 1000000."},
    };
    for (const auto& c : cases) {
        DialogScript form, box;
        std::string said;
        form.Then([&](HWND d) {
                Type(d, c.id, c.typed);
                Click(d, IDOK);
            })
            .Then([](HWND d) { Click(d, IDCANCEL); });
        box.Then([&](HWND d) {
            said = ControlTextA(d, 0xFFFF);
            Click(d, IDOK);
        });
        Menu(c.command, {&form, &box});
        EXPECT_EQ(c.said, said);
    }
    EXPECT_EQ(before.msPerSample, bench_.msPerSample);
    EXPECT_EQ(before.blockSize, bench_.blockSize);
    EXPECT_EQ(halfPeriod, bench_.modules[0]->sources[1].halfPeriodBlocks);
}

// A click on an input lamp toggles a line no wire drives, and only such a line.
TEST_F(BenchTest, AClickTogglesAnUnwiredInputLine)
{
    Driver().TovelSimSetBoard(3, 1, 0x320, 16, 0);
    Menu(kCmdBoardPanel);
    HWND panel = FindWindowW(L"KorvuBenchBoardPanel", nullptr);
    ASSERT_TRUE(panel);
    TovelSimBoardInfo board;
    for (uint32_t expected : {0x02u, 0x00u}) {
        ClickAt(panel, InputLampRect(1, 9));  // slot 3, input port 1, bit 1
        ASSERT_TRUE(Driver().TovelSimGetBoardInfo(3, &board));
        EXPECT_EQ(expected, board.input[1].value);
        EXPECT_EQ(expected ? kInputLampOn : kLampOff, Picture(panel).At(InputLampRect(1, 9)));
    }
    ClickAt(panel, InputLampRect(0, 0));  // slot 0's input port 0 reads its output port 0
    ASSERT_TRUE(Driver().TovelSimGetBoardInfo(0, &board));
    EXPECT_EQ(0u, board.input[0].value);
    EXPECT_EQ("in0.0 bit 0 is wired to out0.0: it shows that output and a click cannot set it.", BoardPanelHint());
    SaveScreenshot(panel, "bench_board_panel_wired_hint");  // for a person to look at: the hint wraps
}

std::wstring Title()
{
    wchar_t title[256] = L"";
    GetWindowTextW(sim::HostWindow(), title, 256);
    return title;
}

// Each run starts clean, and the live view holds the current run's last
// seconds and nothing older, however long the bench runs.
TEST_F(BenchTest, TheLiveViewHoldsOnlyTheCurrentRunsLastSeconds)
{
    PlaceAndSetUp(IDM_TOVEL_OUT, 0, L"Pattern");
    PlaceAndSetUp(IDM_TOVEL_IN, 1, L"Readback");
    const OutputChannel* channel = bench_.modules[1]->module.record->pOutputChannel[0];
    const double blockSeconds = bench_.blockSize * bench_.msPerSample / 1000;
    Menu(kCmdStart);
    Advance(bench_, 60000);
    const LiveChannel& live = bench_.live[channel];
    ASSERT_FALSE(live.blocks.empty());
    EXPECT_NEAR(60.0, live.End(), 2 * blockSeconds);
    EXPECT_LE(live.End() - live.blocks.front().start, kLiveSeconds + 2 * blockSeconds) << "nothing older is kept";
    Menu(kCmdStop);
    Menu(kCmdStart);
    Advance(bench_, 2000);
    ASSERT_FALSE(bench_.live[channel].blocks.empty());
    EXPECT_EQ(0.0, bench_.live[channel].blocks.front().start) << "the new run's first block, not the old run's";
    EXPECT_LE(bench_.live[channel].End(), 2.0);
    Menu(kCmdStop);
}

// The title says what the run does: its time runs on in a pause, and once
// the plug-in stops the run the title says so while its warnings are open.
TEST_F(BenchTest, TheTitleSaysWhatTheRunIsDoing)
{
    PlaceAndSetUp(IDM_TOVEL_OUT, 0, L"Pattern");
    Menu(kCmdStart);
    Advance(bench_, 1000);
    ShowBenchState();
    EXPECT_THAT(Title(), HasSubstr(L"bench: running, experiment time 1.0 s"));
    Menu(kCmdPause);
    Advance(bench_, 3000);
    ShowBenchState();
    EXPECT_THAT(Title(), HasSubstr(L"bench: paused; experiment time 4.0 s"));
    Menu(kCmdPause);
    PullBoard(Driver(), 0, true);
    Advance(bench_, 100);
    std::wstring whileWarned;
    DialogScript warning[kChannels];
    for (DialogScript& w : warning)
        w.Then([&](HWND d) {
            whileWarned = Title();
            Click(d, IDOK);
        });
    {
        ArmedScripts armed({&warning[0], &warning[1], &warning[2]});
        ShowBenchState();
    }
    EXPECT_THAT(whileWarned, HasSubstr(L"bench: stopped by the plug-in at "));
}

DWORD g_wall = 50000;
DWORD WINAPI Wall() { return g_wall; }

// The bench's own timer paces the run by the wall clock, here the test's;
// after a stall it catches up no more than ten seconds.
TEST_F(BenchTest, TheTimerRunsTheHostsCallsOnTheWallClock)
{
    SetWallClock(Wall);
    CloseBenchWindow();
    OpenBenchWindow(bench_, true);
    PlaceAndSetUp(IDM_TOVEL_IN, 0, L"Readback");
    Menu(kCmdStart);
    ASSERT_TRUE(bench_.running);
    auto pumpUntil = [&](uint64_t t) {
        for (int turn = 0; turn < 1000 && bench_.experiment.t < t; ++turn) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    };
    g_wall += 1500;
    pumpUntil(1500);
    EXPECT_EQ(1500u, bench_.experiment.t);
    g_wall += 60000;
    pumpUntil(11500);
    EXPECT_EQ(11500u, bench_.experiment.t);
    EXPECT_EQ(static_cast<uint64_t>(11500 / (bench_.msPerSample * bench_.blockSize)),
              engine::ReleasedBlocks(bench_.experiment.inputs[0]));
    Menu(kCmdStop);
    SetWallClock(nullptr);
}

DialogScript Answer(int button, std::string* question = nullptr)
{
    DialogScript box;
    box.Then([button, question](HWND d) {
        if (question)
            *question = ControlTextA(d, 0xFFFF);
        Click(d, button);
    });
    return box;
}

// Work never saved is never lost without a word: closing and New ask, Cancel
// keeps the bench, No lets it go, Yes saves it to its file first; a bench as
// its file holds it, a run or not, closes at once.
TEST_F(BenchTest, UnsavedWorkIsNeverDiscardedWithoutAsking)
{
    for (UINT command : {kCmdNew, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdExit})
        EXPECT_NE(-1, static_cast<int>(GetMenuState(GetSubMenu(sim::MainMenu(), 0), command, MF_BYCOMMAND)));
    EXPECT_TRUE(Close()) << "an empty bench holds nothing to lose";
    PlaceAndSetUp(IDM_TOVEL_IN, 0, L"Readback");
    std::string question;
    DialogScript cancel = Answer(IDCANCEL, &question), no = Answer(IDNO);
    EXPECT_FALSE(Close({&cancel}));
    EXPECT_THAT(question, HasSubstr("never saved"));
    EXPECT_EQ(1u, bench_.modules.size());
    Menu(kCmdNew, {&no});
    EXPECT_TRUE(bench_.modules.empty());

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "bench_unsaved.bench";
    PlaceAndSetUp(IDM_TOVEL_OUT, 0, L"Pattern");
    PlaceAndSetUp(IDM_TOVEL_IN, 1, L"Readback");
    std::string error;
    ASSERT_TRUE(SaveBench(bench_, path, &error)) << error;
    Menu(kCmdStart);
    Advance(bench_, 2000);
    Menu(kCmdStop);
    EXPECT_TRUE(Close()) << "a run changes nothing the file holds";

    DialogScript run;
    run.Then([](HWND d) {
        Type(d, kIdBlockSize, L"5");
        Click(d, IDOK);
    });
    Menu(kCmdRunSettings, {&run});
    DialogScript yes = Answer(IDYES);
    EXPECT_TRUE(Close({&yes}));
    std::stringstream saved;
    saved << std::ifstream(path).rdbuf();
    EXPECT_THAT(saved.str(), HasSubstr("block_size=5\n"));
    EXPECT_TRUE(Close());
    DeleteFileA(path.c_str());
}

TEST_F(BenchTest, AMalformedBenchFileIsRefusedByLineAndChangesNothing)
{
    const struct {
        const char* text;
        const char* problem;  // after "<file>:"
    } cases[] = {
        {"[bench]\nblock_size=0\n", "2: block_size: '0' is not a whole number from 1 to 65535"},
        {"[bench]\nms_per_sample=fast\n", "2: ms_per_sample: 'fast' is not a number above 0, at most 1000000000"},
        {"[module]\nkind=Tovel SIDE\n", "2: kind 'Tovel SIDE' is neither"},
        {"[module]\nkind=Tovel IN\nchannels=9\n", "3: channels: '9' is not a whole number from 1 to 8"},
        {"[module]\nkind=Tovel IN\nchannels=1\ninstance=00\n", "1: instance holds 1 bytes, not the 368"},
        {"[module]\nkind=Tovel OUT\nsignals=square 0\n", "3: signals: square '0' is not a whole number from 1 to 1000000"},
        {"[modules]\n", "1: '[modules]' is neither"},
        {"colour=blue\n", "1: colour outside [bench] or [module]"},
        {"[bench]\nboard_file=other.ini\n", "2: the bench was saved with the boards of 'other.ini'"},
    };
    PlaceAndSetUp(IDM_TOVEL_IN, 0, L"Readback");
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "bench_bad.bench";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::ofstream(path) << c.text;
        std::string problems;
        EXPECT_FALSE(OpenBench(bench_, path, &problems));
        EXPECT_EQ(path + ":" + c.problem, problems.substr(0, path.size() + 1 + strlen(c.problem)));
        EXPECT_EQ(1u, bench_.modules.size());
    }
    DeleteFileA(path.c_str());
}

}  // namespace
