// The host recorder where things go wrong: no plug-in behind it, one without
// an export, one that is a recorder itself, a recording that cannot be made,
// a ring that fills. The host's set-up must come back with 0 where there is
// no whole plug-in, with the plug-in's own answer otherwise, and the
// recording must say why at its top.

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/host_names.h"
#include "sim/common/paths.h"
#include "sim/common/utf8.h"
#include "sim/driver/sim_driver.h"
#include "sim/host/sim_host.h"

using testing::HasSubstr;

namespace {

// A window procedure that another program puts in front of the host's
// during the set-up, after the recorder has tapped it: at the first lookup.
WNDPROC g_behindFront;
HHOOK g_frontHook;

LRESULT CALLBACK FrontProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(g_behindFront, window, message, wParam, lParam);
}

LRESULT CALLBACK PutFrontInAtTheFirstLookup(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == kLookupVariable && !g_behindFront)
        g_behindFront = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(sent->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrontProc)));
    return CallNextHookEx(g_frontHook, code, wParam, lParam);
}

class RecorderTest : public testing::Test {
protected:
    void SetUp() override
    {
        sim::ResetHost();
        ASSERT_TRUE(driver_.Load());
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / "korvu_recorder_tests";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        recording_ = folder_ / "recording.csv";
    }
    void TearDown() override
    {
        Unload();
        driver_.Unload();
        sim::ResetHost();
        std::filesystem::remove_all(folder_);
    }

    // The recorder as Korvu_ux1.dll in `at`, with `behind` as the plug-in
    // behind it (a file beside this program; none when null).
    void Install(const std::filesystem::path& at, const char* behind, const std::string& settings)
    {
        std::filesystem::create_directories(at);
        std::filesystem::copy_file(Widen(PathBesideProgram("host-recorder\\Korvu_ux1.dll")), at / "Korvu_ux1.dll");
        if (behind)
            std::filesystem::copy_file(Widen(PathBesideProgram(behind)), at / "Korvu_ux1_plugin.dll");
        std::ofstream(at / "korvu_recorder.ini") << "[recorder]\n" << settings;
    }
    int32_t Setup(const std::filesystem::path& at)
    {
        if (!sim::LoadPlugin(Narrow((at / "Korvu_ux1.dll").wstring()).c_str(), &plugin_))
            return -1;
        return plugin_.setup(sim::HostWindow());
    }
    void Unload()
    {
        if (plugin_.dll)
            sim::UnloadPlugin(&plugin_);
    }
    static std::string Read(const std::filesystem::path& file)
    {
        std::stringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        return text.str();
    }

    SimDriver driver_;
    sim::Plugin plugin_;
    std::filesystem::path folder_, recording_;
};

}  // namespace

TEST_F(RecorderTest, WithoutAWholePluginBehindItSetUpAnswersZeroAndTheRecordingSaysWhy)
{
    const struct {
        const char* behind;
        const char* why;
    } cases[] = {
        {nullptr, "Korvu_ux1_plugin.dll could not be loaded (error 126)"},
        {"trace-driver\\tovel.dll", "Korvu_ux1_plugin.dll has no export SetupKorvuDLL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Install(folder_, c.behind, "file=" + Narrow(recording_.wstring()) + "\n");
        EXPECT_EQ(0, Setup(folder_));
        EXPECT_TRUE(sim::RegisteredClasses().empty());
        Unload();
        const std::string recording = Read(recording_);
        EXPECT_THAT(recording, HasSubstr(c.why));
        EXPECT_THAT(recording, HasSubstr("so SetupKorvuDLL answers 0"));
        std::filesystem::remove_all(folder_);
        sim::ResetHost();
    }
}

// Two recorders, each the other's plug-in: the set-up neither runs round
// nor reaches a plug-in, and both recordings say why.
TEST_F(RecorderTest, AChainOfRecordersIsNotFollowed)
{
    Install(folder_ / "first", nullptr, "plugin=..\\second\\Korvu_ux1.dll\nfile=recording.csv\n");
    Install(folder_ / "second", nullptr, "plugin=..\\first\\Korvu_ux1.dll\nfile=recording.csv\n");
    EXPECT_EQ(0, Setup(folder_ / "first"));
    Unload();
    EXPECT_THAT(Read(folder_ / "first" / "recording.csv"), HasSubstr("the plug-in leads back into a recorder"));
    EXPECT_THAT(Read(folder_ / "second" / "recording.csv"), HasSubstr("a chain of recorders is not followed"));
}

// The same two, finished and told WEP before any set-up: neither runs round.
TEST_F(RecorderTest, FinishAndWepOfAChainOfRecordersDoNotRunRound)
{
    Install(folder_ / "first", nullptr, "plugin=..\\second\\Korvu_ux1.dll\nfile=recording.csv\n");
    Install(folder_ / "second", nullptr, "plugin=..\\first\\Korvu_ux1.dll\nfile=recording.csv\n");
    ASSERT_TRUE(sim::LoadPlugin(Narrow((folder_ / "first" / "Korvu_ux1.dll").wstring()).c_str(), &plugin_));
    EXPECT_EQ(1, plugin_.finish(0));
    EXPECT_EQ(1, plugin_.wep(0));
}

// Another window procedure put in front of the host's while the recorder
// had it tapped: the recorder's stays in the chain, a second set-up does not
// put it in front again (each would then call the other without end), and
// it stays loaded for the procedure in front to call.
TEST_F(RecorderTest, AWindowProcedurePutInFrontDuringSetUpKeepsTheTapInTheChain)
{
    // A folder of its own: the recorder stays loaded, its recording open,
    // until the test program ends (the next run clears it).
    const std::filesystem::path pinned = folder_.parent_path() / "korvu_recorder_pinned";
    std::error_code ignored;
    std::filesystem::remove_all(pinned, ignored);
    Install(pinned, "Korvu_ux1.dll", "file=recording.csv\n");
    g_behindFront = nullptr;
    g_frontHook = SetWindowsHookExW(WH_CALLWNDPROC, PutFrontInAtTheFirstLookup, nullptr, GetCurrentThreadId());
    ASSERT_EQ(1, Setup(pinned));
    UnhookWindowsHookEx(g_frontHook);
    ASSERT_TRUE(g_behindFront) << "the procedure went in front at the first lookup";
    EXPECT_EQ(1, plugin_.finish(0));
    EXPECT_EQ(1, plugin_.setup(sim::HostWindow())) << "set up again through the chain";
    EXPECT_EQ(1, plugin_.finish(0));
    const HMODULE recorder = plugin_.dll;
    Unload();
    EXPECT_TRUE(GetModuleHandleW((pinned / "Korvu_ux1.dll").c_str()) == recorder) << "kept loaded";
    SendMessageW(sim::HostWindow(), WM_NULL, 0, 0);  // through the front procedure and the recorder's
    SetWindowLongPtrW(sim::HostWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_behindFront));
    EXPECT_THAT(Read(pinned / "recording.csv"), HasSubstr("the recorder stays loaded until the host ends"));
}

// A recording that cannot be made stops only the recording: the host sets
// the plug-in up through the recorder all the same.
TEST_F(RecorderTest, ARecordingThatCannotBeMadeLeavesThePluginAtWork)
{
    Install(folder_, "Korvu_ux1.dll", "file=Z:\\no\\such\\folder\\recording.csv\n");
    EXPECT_EQ(1, Setup(folder_));
    EXPECT_EQ(2u, sim::RegisteredClasses().size()) << "the plug-in's two classes";
    EXPECT_EQ(1, plugin_.finish(0));
}

TEST_F(RecorderTest, AFullRingSaysHowManyRecordsWereDroppedAndWhere)
{
    // The writer's first turn is an hour away: the set-up's lookups fill it.
    Install(folder_, "Korvu_ux1.dll", "file=" + Narrow(recording_.wstring()) + "\nring=16\nflush_ms=3600000\n");
    ASSERT_EQ(1, Setup(folder_));
    Unload();
    const std::string recording = Read(recording_);
    EXPECT_THAT(recording, HasSubstr("\n16,"));
    EXPECT_THAT(recording, testing::Not(HasSubstr("\n17,")));
    EXPECT_THAT(recording, HasSubstr(" records, sequence 17 to "));
    EXPECT_THAT(recording, HasSubstr(": the ring was full (ring in korvu_recorder.ini)"));
}
