// The settings dialog of both module kinds, opened through code 103 and used
// as a user would: typing, clicking channel buttons and arrows, OK, Cancel.

#include <gmock/gmock.h>

#include <string.h>

#include "controls/controls.h"
#include "resources/resource_ids.h"
#include "sim/harness/import_patch.h"
#include "tests/kit/dialog_template.h"
#include "tests/kit/module_fixture.h"
#include "sim/harness/screenshot.h"

using testing::ElementsAre;

namespace {

void Press(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// The channel buttons' states, short for the rows of eight below.
const WORD kSel = kChannelSelected, kUse = kChannelInUse, kOff = kChannelNotInUse;

WORD State(HWND dialog, int id)
{
    return ControlState(GetDlgItem(dialog, id));
}

std::vector<WORD> ButtonStates(HWND dialog)
{
    std::vector<WORD> states;
    for (int n = 0; n < 8; ++n)
        states.push_back(State(dialog, IDC_CHANNEL_0 + n));
    return states;
}

struct WinHelpCall {
    HWND window;
    std::string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<WinHelpCall> g_helpCalls;

BOOL WINAPI RecordWinHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data)
{
    g_helpCalls.push_back(WinHelpCall{window, file ? file : "", command, data});
    return TRUE;
}

}  // namespace

class SettingsTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        sim::SetExperimentRunning(false);  // the host configures modules between runs
    }

    // A module of the kind on slot 1, port 0, with named channels.
    sim::Module& Named(TestKind kind, uint32_t channels)
    {
        sim::Module& m = Bound(kind, kSlot, 0, channels);
        for (int c = 0; c < 8; ++c)
            snprintf(Name(m, c), 24, "ch%d", c);
        strcpy(m.record->szModuleName, "Modul");
        strcpy(m.record->szDescription, "Beschreibung");
        return m;
    }
    static char* Name(sim::Module& m, int c) { return static_cast<char*>(m.instanceData) + 24 * c; }

    int32_t Open(sim::Module& m, DialogScript& script)
    {
        sim::SetCurrentModulePtr(m.record);
        ArmedScripts armed({&script});
        int32_t result = Send(m, 103);
        EXPECT_TRUE(script.Completed()) << "the dialog ran its script and closed";
        return result;
    }
    std::vector<uint8_t> Bytes(sim::Module& m)
    {
        const uint8_t* p = static_cast<const uint8_t*>(m.instanceData);
        return std::vector<uint8_t>(p, p + m.instanceDataSize);
    }
};

TEST_F(SettingsTest, ArrowsFollowTheChannelCount)
{
    sim::Module& eight = Named(kOut, 8);
    DialogScript full;
    full.Then([](HWND d) {
        EXPECT_EQ(kLessUp, State(d, IDC_LESS));
        EXPECT_EQ(kMoreDisabled, State(d, IDC_MORE)) << "no more than eight";
        EXPECT_THAT(ButtonStates(d), ElementsAre(kSel, kUse, kUse, kUse, kUse, kUse, kUse, kUse));
        Click(d, IDCANCEL);
    });
    Open(eight, full);

    sim::Module& one = Named(kIn, 1);
    DialogScript single;
    single.Then([](HWND d) {
        EXPECT_EQ(kLessDisabled, State(d, IDC_LESS)) << "no fewer than one";
        EXPECT_EQ(kMoreUp, State(d, IDC_MORE));
        EXPECT_THAT(ButtonStates(d), ElementsAre(kSel, kOff, kOff, kOff, kOff, kOff, kOff, kOff));
        Click(d, IDCANCEL);
    });
    Open(one, single);
}

TEST_F(SettingsTest, ArrowsStayDisabledWhenAnExperimentRanAtOpening)
{
    sim::Module& m = Named(kOut, 3);
    sim::SetExperimentRunning(true);
    DialogScript script;
    script.Then([](HWND d) {
        EXPECT_EQ(kLessDisabled, State(d, IDC_LESS));
        EXPECT_EQ(kMoreDisabled, State(d, IDC_MORE));
        sim::SetExperimentRunning(false);
        Press(d, IDC_LESS);
        Press(d, IDC_MORE);
        EXPECT_EQ(kLessDisabled, State(d, IDC_LESS));
        EXPECT_EQ(kMoreDisabled, State(d, IDC_MORE));
        Click(d, IDOK);
    });
    Open(m, script);
    ASSERT_EQ(1u, sim::SizeChanges().size());
    EXPECT_EQ(3u, sim::SizeChanges()[0].inputs) << "the count did not change";
}

TEST_F(SettingsTest, ChannelCountStaysWithinOneToEightWhateverSendsTheArrows)
{
    // Commands straight to the dialog, as any window may send them, whatever
    // state the arrows are in; a count stored outside 1..8 comes back as
    // stored or capped at eight, and the selection stays within the channels.
    struct Case {
        uint32_t stored;
        int arrow;
        int times;
        uint32_t after;
    } cases[] = {{1, IDC_LESS, 1, 1},  {2, IDC_LESS, 3, 1},  {8, IDC_MORE, 1, 8},  {7, IDC_MORE, 3, 8},
                 {0, IDC_LESS, 2, 0},  {0, IDC_MORE, 1, 1},  {20, IDC_MORE, 1, 8}, {0xFFFFFFFF, IDC_LESS, 1, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " stored, " << (c.arrow == IDC_LESS ? "less" : "more") << " x"
                                        << c.times);
        sim::Module& m = Named(c.stored % 2 ? kOut : kIn, c.stored);
        DialogScript script;
        script.Then([&](HWND d) {
            for (int i = 0; i < c.times; ++i)
                SendMessageA(d, WM_COMMAND, c.arrow, 0);
            const unsigned selected = std::stoul(ControlTextA(d, IDC_SELECTED_CHANNEL));
            EXPECT_TRUE(selected == 0 || selected < c.after) << selected;
            SendMessageA(d, WM_USER + 8, 0, 0);  // copy the selected name to every channel in use
            Click(d, IDOK);
        });
        Open(m, script);
        ASSERT_FALSE(sim::SizeChanges().empty());
        const sim::SizeChange& change = sim::SizeChanges().back();
        EXPECT_EQ(c.after, c.stored % 2 ? change.inputs : change.outputs);
    }
}

TEST_F(SettingsTest, OkLeavesTheRunStateAsARunLeftItWhileTheDialogWasOpen)
{
    sim::SetMilliSecondsPerSample(20.0);
    sim::Module& out = Named(kOut, 2);
    ASSERT_EQ(1, Send(out, 106));
    sim::Module& in = Named(kIn, 2);
    memset(static_cast<uint8_t*>(in.instanceData) + 200, 0xAB, 168);
    for (sim::Module* m : {&out, &in}) {
        DialogScript script;
        script.Then([&](HWND d) {
            Send(*m, 107);  // the run ends and the next is prepared
            Send(*m, 106);
            Click(d, IDOK);
        });
        Open(*m, script);
    }
    ASSERT_EQ(1u, sim::LiveAllocations().size());
    EXPECT_EQ(sim::LiveAllocations()[0].block, Out(out)->pPortBuffer) << "the live buffer, not the one freed";
    uint32_t word200;
    memcpy(&word200, static_cast<uint8_t*>(in.instanceData) + 200, 4);
    EXPECT_EQ(0u, word200) << "as the run preparation left it";
}

TEST_F(SettingsTest, UnterminatedTextsShowUpToTheirFieldsAndForeignButtonsAreIgnored)
{
    sim::Module& m = Named(kOut, 4);
    memset(m.record->szModuleName, 'M', 13);    // no zero: the description follows
    memset(m.record->szDescription, 'D', 41);   // no zero: the host's own bytes follow
    memset(m.record->reserved94, 'X', sizeof m.record->reserved94);
    memset(Name(m, 0), 'C', 24);                // runs into channel 1's name
    // A window of the host's with a channel button's id, pressed in state 2.
    HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, sim::HostWindow(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CHANNEL_0 + 2)), nullptr, nullptr);
    DialogScript script;
    script.Then([&](HWND d) {
        EXPECT_EQ(std::string(13, 'M'), ControlTextA(d, IDC_MODULE_NAME));
        EXPECT_EQ(std::string(41, 'D'), ControlTextA(d, IDC_DESCRIPTION));
        EXPECT_EQ(std::string(24, 'C'), ControlTextA(d, IDC_CHANNEL_NAME));
        SendMessageA(d, KANAL_LBUTTONDOWN, reinterpret_cast<WPARAM>(foreign), 2);
        EXPECT_EQ("0", ControlTextA(d, IDC_SELECTED_CHANNEL)) << "the selection stays";
        Click(d, IDCANCEL);
    });
    Open(m, script);
    DestroyWindow(foreign);
}

TEST_F(SettingsTest, GivingUpTheSelectedLastChannelSelectsTheNewLast)
{
    sim::Module& m = Named(kOut, 3);
    DialogScript script;
    script.Then([](HWND d) {
        Press(d, IDC_CHANNEL_0 + 2);
        EXPECT_EQ(L"ch2", ControlText(d, IDC_CHANNEL_NAME));
        Press(d, IDC_LESS);
        EXPECT_EQ(L"1", ControlText(d, IDC_SELECTED_CHANNEL));
        EXPECT_EQ(L"ch1", ControlText(d, IDC_CHANNEL_NAME));
        EXPECT_THAT(ButtonStates(d), ElementsAre(kUse, kSel, kOff, kOff, kOff, kOff, kOff, kOff));
        Click(d, IDOK);
    });
    Open(m, script);
    ASSERT_EQ(1u, sim::SizeChanges().size());
    EXPECT_EQ(2u, sim::SizeChanges()[0].inputs);
    EXPECT_EQ(0u, sim::SizeChanges()[0].outputs);
}

TEST_F(SettingsTest, AChannelGivenUpKeepsItsNameForWhenItIsTakenUpAgain)
{
    sim::Module& m = Named(kIn, 3);
    DialogScript script;
    script.Then([](HWND d) {
        Press(d, IDC_CHANNEL_0 + 2);
        Type(d, IDC_CHANNEL_NAME, L"Zed");
        Press(d, IDC_LESS);
        Press(d, IDC_MORE);
        EXPECT_EQ(kChannelInUse, State(d, IDC_CHANNEL_0 + 2));
        Press(d, IDC_CHANNEL_0 + 2);
        EXPECT_EQ(L"Zed", ControlText(d, IDC_CHANNEL_NAME));
        Press(d, IDC_LESS);
        Click(d, IDOK);
    });
    Open(m, script);
    EXPECT_STREQ("Zed", Name(m, 2)) << "a given-up channel keeps its name";
    ASSERT_EQ(1u, sim::SizeChanges().size());
    EXPECT_EQ(0u, sim::SizeChanges()[0].inputs);
    EXPECT_EQ(2u, sim::SizeChanges()[0].outputs);
}

TEST_F(SettingsTest, PressingTheSelectedOrAnUnusedChannelOnlyMovesTheFocus)
{
    sim::Module& m = Named(kOut, 3);
    DialogScript script;
    script.Then([](HWND d) {
        for (int n : {0, 6}) {
            SetFocus(GetDlgItem(d, IDC_DESCRIPTION));
            Press(d, IDC_CHANNEL_0 + n);
            EXPECT_EQ(L"0", ControlText(d, IDC_SELECTED_CHANNEL)) << n;
            EXPECT_THAT(ButtonStates(d), ElementsAre(kSel, kUse, kUse, kOff, kOff, kOff, kOff, kOff));
            EXPECT_EQ(GetDlgItem(d, IDC_MODULE_NAME), GetFocus()) << n;
        }
        Click(d, IDCANCEL);
    });
    Open(m, script);
}

TEST_F(SettingsTest, CancelDiscardsEveryEdit)
{
    sim::Module& m = Named(kOut, 2);
    std::vector<uint8_t> before = Bytes(m);
    DialogScript script;
    script.Then([](HWND d) {
        Type(d, IDC_CHANNEL_NAME, L"new0");
        Press(d, IDC_CHANNEL_0 + 1);
        Press(d, IDC_CHANNEL_0 + 0);
        EXPECT_EQ(L"new0", ControlText(d, IDC_CHANNEL_NAME)) << "the edit survived the selection";
        Type(d, IDC_MODULE_NAME, L"other");
        Type(d, IDC_DESCRIPTION, L"other too");
        Press(d, IDC_MORE);
        Click(d, IDCANCEL);
    });
    Open(m, script);
    EXPECT_EQ(before, Bytes(m));
    EXPECT_STREQ("Modul", m.record->szModuleName);
    EXPECT_STREQ("Beschreibung", m.record->szDescription);
    EXPECT_EQ(2u, m.record->uiNumberOfInputs);
    EXPECT_TRUE(sim::SizeChanges().empty());
    ASSERT_EQ(1u, sim::Frees().size());
    EXPECT_EQ("Tovel_OUT", sim::Frees()[0].tag);
    EXPECT_EQ(523, sim::Frees()[0].line);
    EXPECT_TRUE(sim::LiveAllocations().empty());
}

TEST_F(SettingsTest, EscapeAndTheCloseBoxCancelToo)
{
    sim::Module& m = Named(kIn, 2);
    DialogScript escape, close;
    escape.Then([](HWND d) {
        Type(d, IDC_MODULE_NAME, L"x");
        PressKey(d, VK_ESCAPE);
    });
    close.Then([](HWND d) {
        Type(d, IDC_MODULE_NAME, L"y");
        PressCloseBox(d);
    });
    Open(m, escape);
    Open(m, close);
    EXPECT_STREQ("Modul", m.record->szModuleName);
    ASSERT_EQ(2u, sim::Frees().size());
    EXPECT_EQ(530, sim::Frees()[1].line);
}

TEST_F(SettingsTest, OkStoresTextsUpToTheirLimits)
{
    sim::Module& m = Named(kOut, 1);
    DialogScript script;
    script.Then([](HWND d) {
        Type(d, IDC_CHANNEL_NAME, L"abcdefghijklmnopqrstuvwxy");  // 25
        Type(d, IDC_MODULE_NAME, L"123456789012345");                 // 15
        Type(d, IDC_DESCRIPTION, L"0123456789012345678901234567890123456789-----");
        Click(d, IDOK);
    });
    Open(m, script);
    EXPECT_STREQ("abcdefghijklmnopqrst", Name(m, 0)) << "twenty characters, stored whole";
    EXPECT_STREQ("123456789012", m.record->szModuleName);
    EXPECT_STREQ("0123456789012345678901234567890123456789", m.record->szDescription);
    ASSERT_EQ(1u, sim::Frees().size());
    EXPECT_EQ(511, sim::Frees()[0].line);
    ASSERT_EQ(1u, sim::SizeChanges().size());
    EXPECT_EQ(m.record, sim::SizeChanges()[0].module);
}

TEST_F(SettingsTest, CopyingTheSelectedNameRespectsTheFocusMarkerAndTheChannelsInUse)
{
    sim::Module& m = Named(kOut, 3);
    DialogScript script;
    script.Then([](HWND d) {
        SendMessageA(d, WM_USER + 7, 0, 0);  // the name edit has not had the focus: no copy
        SetFocus(GetDlgItem(d, IDC_CHANNEL_NAME));
        Type(d, IDC_CHANNEL_NAME, L"same");
        SendMessageA(d, WM_USER + 7, 0, 0);  // now it has: copies
        Click(d, IDOK);
    });
    Open(m, script);
    EXPECT_STREQ("same", Name(m, 0));
    EXPECT_STREQ("same", Name(m, 1));
    EXPECT_STREQ("same", Name(m, 2));
    EXPECT_STREQ("ch3", Name(m, 3)) << "channels not in use are untouched";
    EXPECT_STREQ("ch7", Name(m, 7));

    sim::Module& n = Named(kIn, 2);
    DialogScript after;
    after.Then([](HWND d) {
        Type(d, IDC_CHANNEL_NAME, L"one");
        Press(d, IDC_CHANNEL_0 + 1);          // a channel operation resets the marker
        SendMessageA(d, WM_USER + 7, 0, 0);
        EXPECT_EQ(L"ch1", ControlText(d, IDC_CHANNEL_NAME));
        Type(d, IDC_CHANNEL_NAME, L"two");
        SendMessageA(d, WM_USER + 8, 0, 0);   // always copies
        Click(d, IDOK);
    });
    Open(n, after);
    EXPECT_STREQ("two", Name(n, 0));
    EXPECT_STREQ("two", Name(n, 1));
    EXPECT_STREQ("ch2", Name(n, 2));
}

TEST_F(SettingsTest, ShowsTheSlotAndThePortTextOfEveryPortValue)
{
    const wchar_t* outTexts[] = {L"出力ﾎﾟｰﾄ 0 ( 0 - 7 )", L"出力ﾎﾟｰﾄ 1 ( 8 - 15 )", L"ﾎﾟｰﾄ C (PC0 - PC7)",
                                 L"ﾎﾟｰﾄ D (PD0 - PD7)",  L"ﾎﾟｰﾄ E (PE0 - PE7)",   L"ﾎﾟｰﾄ F (PF0 - PF7)",
                                 L"不明なポート"};
    sim::Module& m = Named(kOut, 1);
    for (uint16_t port = 0; port < 7; ++port) {
        Out(m)->wPort = port;
        std::wstring slot, shown;
        DialogScript script;
        script.Then([&](HWND d) {
            slot = ControlText(d, IDC_SHOWN_SLOT);
            shown = ControlText(d, IDC_SHOWN_PORT);
            Click(d, IDCANCEL);
        });
        Open(m, script);
        EXPECT_EQ(L"1", slot);
        EXPECT_EQ(std::wstring(outTexts[port]), shown) << port;
    }
    Out(m)->wPort = 0;

    sim::Module& in = Named(kIn, 1);
    In(in)->wPort = 1;
    std::wstring shown;
    DialogScript script;
    script.Then([&](HWND d) {
        shown = ControlText(d, IDC_SHOWN_PORT);
        Click(d, IDCANCEL);
    });
    Open(in, script);
    EXPECT_EQ(L"入力ﾎﾟｰﾄ 1 ( 8 - 15 )", shown);
    In(in)->wPort = 0;
}

TEST_F(SettingsTest, HelpOpensTheHelpFileAndTheDialogStays)
{
    g_helpCalls.clear();
    sim::ImportPatch help(Dll(), "USER32.dll", "WinHelpA", reinterpret_cast<void*>(&RecordWinHelp));
    ASSERT_TRUE(help.Installed());
    sim::Module& m = Named(kOut, 1);
    HWND settings = nullptr;
    DialogScript script;
    script.Then([&](HWND d) {
             settings = d;
             Click(d, IDC_HELP_BUTTON);
         })
        .Then([](HWND d) {
            EXPECT_TRUE(IsWindow(d));
            Click(d, IDCANCEL);
        });
    Open(m, script);
    ASSERT_EQ(1u, g_helpCalls.size());
    EXPECT_EQ(settings, g_helpCalls[0].window);
    EXPECT_EQ("Tovel.hlp", g_helpCalls[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_FINDER), g_helpCalls[0].command);
    EXPECT_EQ(0u, g_helpCalls[0].data);
}

TEST_F(SettingsTest, VersionButtonOpensTheAboutBoxOverTheDialog)
{
    sim::Module& m = Named(kIn, 1);
    HWND settings = nullptr, owner = nullptr;
    std::wstring version;
    DialogScript about;
    about.Then([&](HWND d) {
        owner = GetWindow(d, GW_OWNER);
        version = ControlText(d, IDC_ABOUT_VERSION);
        Click(d, IDOK);
    });
    DialogScript script;
    script.Then([&](HWND d) {
             settings = d;
             Click(d, IDC_VERSION_BUTTON);  // returns when the about box closes
         })
        .Then([](HWND d) {
            EXPECT_TRUE(IsWindow(d));
            Click(d, IDCANCEL);
        });
    sim::SetCurrentModulePtr(m.record);
    {
        ArmedScripts armed({&script, &about});
        Send(m, 103);
    }
    EXPECT_TRUE(script.Completed());
    EXPECT_TRUE(about.Completed());
    EXPECT_EQ(settings, owner);
    EXPECT_EQ(L"Tovel Module Version 2.0", version);
}

TEST_F(SettingsTest, WithoutAWorkingCopyTheDialogEndsAtOnceAndChangesNothing)
{
    sim::Module& m = Named(kOut, 2);
    std::vector<uint8_t> before = Bytes(m);
    sim::RefuseAllocations(1);
    DialogScript nothing;
    sim::SetCurrentModulePtr(m.record);
    {
        ArmedScripts armed({&nothing});
        EXPECT_EQ(1, Send(m, 103));
    }
    EXPECT_FALSE(IsWindow(nothing.Dialog()));
    EXPECT_EQ(before, Bytes(m));
    EXPECT_TRUE(sim::SizeChanges().empty());
    EXPECT_TRUE(sim::Frees().empty());
}

TEST_F(SettingsTest, IsCentredOverTheHostWindowWithOneFontForEveryOpening)
{
    sim::Module& out = Named(kOut, 3);
    sim::Module& in = Named(kIn, 8);
    RECT placed = {};
    DialogScript first, second;
    first.Then([&](HWND d) {
        GetWindowRect(d, &placed);
        SaveScreenshot(d, "settings_out");
        Click(d, IDCANCEL);
    });
    second.Then([&](HWND d) {
        Press(d, IDC_CHANNEL_0 + 4);
        Type(d, IDC_CHANNEL_NAME, L"Eingang 4");
        SaveScreenshot(d, "settings_in");
        Click(d, IDCANCEL);
    });
    Open(out, first);
    Open(in, second);

    RECT client;
    GetClientRect(sim::HostWindow(), &client);
    POINT centre = {client.right / 2, client.bottom / 2};
    ClientToScreen(sim::HostWindow(), &centre);
    EXPECT_EQ(centre.x - (placed.right - placed.left) / 2, placed.left);
    EXPECT_EQ(centre.y - (placed.bottom - placed.top) / 2, placed.top);

    EXPECT_EQ(1u, sim::FontsCreated().size()) << "one font for both dialogs";
    EXPECT_EQ(400, sim::FontsCreated()[0].logfont.lfWeight);
    EXPECT_EQ(1, FinishKorvu());
    EXPECT_EQ(1u, sim::ObjectsDeleted().size()) << "handed back once, at finish";
    EXPECT_EQ(0, sim::LiveStackedObjects());
    SetupKorvuOrFail();  // for the fixture's own run end
}

// ------------------------------------------------------------------ the templates

namespace {

struct ExpectedControl {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;  // without WS_CHILD, and WS_VISIBLE unless hidden
    bool hidden;
};

std::vector<ExpectedControl> SettingsControls()
{
    const DWORD edit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    std::vector<ExpectedControl> c = {
        {-1, L"STATIC", L"", 5, 10, 130, 20, SS_ETCHEDFRAME, false},
        {-1, L"STATIC", L"モジュール名 :", 10, 16, 50, 8, SS_LEFT | WS_GROUP, false},
        {IDC_MODULE_NAME, L"EDIT", L"", 65, 14, 65, 12, edit, false},
        {-1, L"STATIC", L"", 145, 10, 170, 20, SS_ETCHEDFRAME, false},
        {-1, L"STATIC", L"説明 :", 150, 16, 60, 8, SS_LEFT | WS_GROUP, false},
        {IDC_DESCRIPTION, L"EDIT", L"", 210, 14, 100, 12, edit, false},
        {-1, L"STATIC", L"", 5, 35, 310, 35, SS_ETCHEDFRAME, false},
        {IDC_LESS, L"DOR:CONTROLLESSMORE", L"", 11, 48, 12, 16, 0, false},
    };
    static const wchar_t* const numbers[16] = {L"0", L"1", L"2",  L"3",  L"4",  L"5",  L"6",  L"7",
                                               L"8", L"9", L"10", L"11", L"12", L"13", L"14", L"15"};
    for (short n = 0; n < 16; ++n)
        c.push_back({-1, L"STATIC", numbers[n], static_cast<short>(32 + 16 * n), 39, 15, 8, SS_CENTER, n >= 8});
    for (short n = 0; n < 16; ++n)
        c.push_back({IDC_CHANNEL_0 + n, L"DOR:CONTROLKANAL", L"", static_cast<short>(34 + 16 * n), 49, 11, 15, 0,
                     n >= 8});
    std::vector<ExpectedControl> rest = {
        {IDC_MORE, L"DOR:CONTROLLESSMORE", L"", 295, 48, 12, 16, 0, false},
        {-1, L"STATIC", L"", 5, 75, 130, 20, SS_ETCHEDFRAME, false},
        {-1, L"STATIC", L"チャンネル名 :", 10, 81, 50, 8, SS_LEFT | WS_GROUP, false},
        {IDC_CHANNEL_NAME, L"EDIT", L"", 65, 79, 65, 12, edit, false},
        {-1, L"STATIC", L"", 145, 75, 110, 20, SS_ETCHEDFRAME, false},
        {-1, L"STATIC", L"選択チャンネル :", 150, 81, 65, 8, SS_LEFT | WS_GROUP, false},
        {IDC_SELECTED_CHANNEL, L"EDIT", L"", 230, 79, 20, 12, edit | WS_DISABLED, false},
        {IDOK, L"BUTTON", L"OK", 265, 80, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, false},
        {IDCANCEL, L"BUTTON", L"ｷｬﾝｾﾙ", 265, 100, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, false},
        {IDC_HELP_BUTTON, L"BUTTON", L"ﾍﾙﾌﾟ", 265, 120, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, false},
        {IDC_VERSION_BUTTON, L"BUTTON", L"ﾊﾞｰｼﾞｮﾝ情報", 265, 140, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, false},
        {-1, L"BUTTON", L" デバイス情報 ", 5, 99, 250, 56, BS_GROUPBOX, false},
        {-1, L"STATIC", L"論理スロット番号：", 15, 115, 70, 8, SS_RIGHT | WS_GROUP, false},
        {-1, L"STATIC", L"使用ポート：", 15, 135, 70, 8, SS_RIGHT | WS_GROUP, false},
        {IDC_SHOWN_SLOT, L"STATIC", L"Static", 90, 115, 134, 8, SS_LEFT | WS_GROUP, false},
        {IDC_SHOWN_PORT, L"STATIC", L"Static", 90, 135, 134, 8, SS_LEFT | WS_GROUP, false},
    };
    c.insert(c.end(), rest.begin(), rest.end());
    return c;
}

}  // namespace

TEST(SettingsTemplates, BothAreLaidOutAsDesigned)
{
    HMODULE dll = LoadLibraryExA(sim::PluginPathBesideExe("Korvu_ux1.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, dll);
    const std::vector<ExpectedControl> expected = SettingsControls();
    struct {
        const char* name;
        const wchar_t* title;
    } templates[] = {{"TOVEL_OUT", L"Tovel パラレル出力"}, {"TOVEL_IN", L"Tovel パラレル入力"}};
    for (const auto& t : templates) {
        SCOPED_TRACE(t.name);
        DialogTemplateInfo info = ReadDialogTemplate(dll, t.name);
        ASSERT_TRUE(info.found) << "in language 1041";
        EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), info.style)
            << "not initially visible";
        EXPECT_EQ(std::vector<short>({23, 26, 323, 161}), std::vector<short>({info.x, info.y, info.cx, info.cy}));
        EXPECT_EQ(std::wstring(t.title), info.caption);
        EXPECT_EQ(10, info.pointSize);
        EXPECT_EQ(L"ＭＳ ゴシック", info.fontName);
        ASSERT_EQ(expected.size(), info.items.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const ExpectedControl& e = expected[i];
            const TemplateItem& a = info.items[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " id " << e.id);
            EXPECT_EQ(e.id, a.id);
            EXPECT_EQ(std::wstring(e.cls), a.className);
            EXPECT_EQ(std::wstring(e.text), a.text);
            EXPECT_EQ(std::vector<short>({e.x, e.y, e.cx, e.cy}), std::vector<short>({a.x, a.y, a.cx, a.cy}));
            DWORD style = WS_CHILD | (e.hidden ? 0 : WS_VISIBLE) | e.style;
            EXPECT_EQ(style, a.style) << std::hex << "expected 0x" << style << ", got 0x" << a.style;
        }
    }
    FreeLibrary(dll);
}
