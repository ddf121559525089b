// The settings dialog of both module kinds, opened through code 103 and used
// as a user would: typing, clicking channel buttons and arrows, OK, Cancel.

#include <gmock/gmock.h>

#include <string.h>

#include "controls/controls.h"
#include "dialogs/settings_dialog.h"
#include "resources/resource_ids.h"
#include "sim/clock/import_patch.h"
#include "tests/kit/dialog_template.h"
#include "tests/kit/module_fixture.h"
#include "sim/pictures/screenshot.h"

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
        int32_t result = Send(m, kMsgSettings);
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

// The arrows change state at the edges as the count crosses them.
TEST_F(SettingsTest, ArrowsFollowTheCountAcrossItsEdges)
{
    const struct {
        uint32_t stored;
        int arrow;
        WORD less, more;
    } cases[] = {{2, IDC_LESS, kLessDisabled, kMoreUp}, {3, IDC_LESS, kLessUp, kMoreUp},
                 {7, IDC_MORE, kLessUp, kMoreDisabled}, {6, IDC_MORE, kLessUp, kMoreUp},
                 {1, IDC_MORE, kLessUp, kMoreUp}, {8, IDC_LESS, kLessUp, kMoreUp}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << (c.arrow == IDC_LESS ? " less" : " more"));
        sim::Module& m = Named(kOut, c.stored);
        DialogScript script;
        script.Then([&](HWND d) {
            Press(d, c.arrow);
            EXPECT_EQ(c.less, State(d, IDC_LESS));
            EXPECT_EQ(c.more, State(d, IDC_MORE));
            Click(d, IDCANCEL);
        });
        Open(m, script);
    }
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
    ASSERT_EQ(1, Send(out, kMsgPrepareRun));
    sim::Module& in = Named(kIn, 2);
    memset(static_cast<uint8_t*>(in.instanceData) + 200, 0xAB, 168);
    for (sim::Module* m : {&out, &in}) {
        DialogScript script;
        script.Then([&](HWND d) {
            Send(*m, kMsgEndRun);  // the run ends and the next is prepared
            Send(*m, kMsgPrepareRun);
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

// A command or message the dialog does not answer changes nothing, whoever
// sends it: the dialog stays open, with its channels and names as they were.
TEST_F(SettingsTest, WhatItDoesNotAnswerChangesNothing)
{
    sim::Module& m = Named(kOut, 3);
    const std::vector<uint8_t> before = Bytes(m);
    DialogScript script;
    script.Then([this](HWND d) {
        const WPARAM commands[] = {0, 3, 4, 5, 8, 10, 1005, 1007, 1008, IDC_SHOWN_SLOT, IDC_SHOWN_PORT, 22999,
                                   IDC_CHANNEL_0, IDC_CHANNEL_0 + 15, IDC_SELECTED_CHANNEL, 23022, 0xFFFF,
                                   MAKEWPARAM(IDC_MODULE_NAME, EN_CHANGE), MAKEWPARAM(IDC_CHANNEL_NAME, EN_KILLFOCUS)};
        for (WPARAM command : commands)
            SendMessageA(d, WM_COMMAND, command, reinterpret_cast<LPARAM>(sim::HostWindow()));
        const UINT messages[] = {KANAL_LBUTTONUP, KANAL_LBUTTONDBLCLK, KANAL_RBUTTONDBLCLK, KANAL_DESELECT,
                                 CTL_SETSTATE, WM_USER + 6, WM_USER + 9, WM_USER + 100};
        for (UINT message : messages)
            SendMessageA(d, message, reinterpret_cast<WPARAM>(GetDlgItem(d, IDC_CHANNEL_0 + 1)), kChannelInUse);
        // Its template opened with its procedure by anyone but the plug-in has no state: it ends at once.
        const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(d, DWLP_DLGPROC));
        EXPECT_EQ(0, DialogBoxParamA(Dll(), "TOVEL_OUT", d, procedure, 0));
        EXPECT_TRUE(IsWindow(d));
        EXPECT_THAT(ButtonStates(d), ElementsAre(kSel, kUse, kUse, kOff, kOff, kOff, kOff, kOff));
        EXPECT_EQ(L"ch0", ControlText(d, IDC_CHANNEL_NAME));
        Click(d, IDCANCEL);
    });
    Open(m, script);
    EXPECT_EQ(before, Bytes(m));
    EXPECT_TRUE(sim::SizeChanges().empty());
}

TEST_F(SettingsTest, CopyingTheSelectedNameRespectsTheFocusMarkerAndTheChannelsInUse)
{
    sim::Module& m = Named(kOut, 3);
    DialogScript script;
    script.Then([](HWND d) {
        SendMessageA(d, kCopySelectedNameIfEdited, 0, 0);  // the name edit has not had the focus: no copy
        Press(d, IDC_CHANNEL_0 + 1);
        EXPECT_EQ(L"ch1", ControlText(d, IDC_CHANNEL_NAME)) << "channel 1 kept its own name";
        Press(d, IDC_CHANNEL_0);
        SetFocus(GetDlgItem(d, IDC_CHANNEL_NAME));
        Type(d, IDC_CHANNEL_NAME, L"same");
        SetFocus(GetDlgItem(d, IDC_DESCRIPTION));
        SendMessageA(d, kCopySelectedNameIfEdited, 0, 0);  // the description had it last: no copy
        Press(d, IDC_CHANNEL_0 + 1);
        EXPECT_EQ(L"ch1", ControlText(d, IDC_CHANNEL_NAME));
        Press(d, IDC_CHANNEL_0);
        SetFocus(GetDlgItem(d, IDC_CHANNEL_NAME));
        SendMessageA(d, kCopySelectedNameIfEdited, 0, 0);  // the name edit had it last: copies
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
        SendMessageA(d, kCopySelectedNameIfEdited, 0, 0);
        EXPECT_EQ(L"ch1", ControlText(d, IDC_CHANNEL_NAME));
        Press(d, IDC_CHANNEL_0);
        EXPECT_EQ(L"one", ControlText(d, IDC_CHANNEL_NAME)) << "channel 0 kept its own name";
        Type(d, IDC_CHANNEL_NAME, L"two");
        SendMessageA(d, kCopySelectedName, 0, 0);   // always copies
        Click(d, IDOK);
    });
    Open(n, after);
    EXPECT_STREQ("two", Name(n, 0));
    EXPECT_STREQ("two", Name(n, 1));
    EXPECT_STREQ("ch2", Name(n, 2));
}

TEST_F(SettingsTest, CopyingFromAChannelAboveTheFirstReachesTheChannelsBelowIt)
{
    sim::Module& m = Named(kIn, 3);
    DialogScript script;
    script.Then([](HWND d) {
        Press(d, IDC_CHANNEL_0 + 2);
        SendMessageA(d, kCopySelectedName, 0, 0);
        Click(d, IDOK);
    });
    Open(m, script);
    EXPECT_STREQ("ch2", Name(m, 0));
    EXPECT_STREQ("ch2", Name(m, 1));
    EXPECT_STREQ("ch2", Name(m, 2));
    EXPECT_STREQ("ch3", Name(m, 3));
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
        Send(m, kMsgSettings);
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
        EXPECT_EQ(1, Send(m, kMsgSettings));
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
        ExpectShownAsItsTemplate(d, Dll(), "TOVEL_OUT");
        GetWindowRect(d, &placed);
        SaveScreenshot(d, "settings_out");
        Click(d, IDCANCEL);
    });
    second.Then([&](HWND d) {
        ExpectShownAsItsTemplate(d, Dll(), "TOVEL_IN");
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
