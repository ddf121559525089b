// Set-up and finish of the real plug-in in the host simulator, with the
// simulated driver or without one.

#include <gmock/gmock.h>

#include "sim/user/dialog_script.h"
#include "sim/clock/import_patch.h"
#include "tests/kit/plugin_fixture.h"

using testing::IsEmpty;

class LifecycleTest : public PluginTest {};

TEST_F(LifecycleTest, WithoutADriverSetUpFailsAfterTheAnnouncements)
{
    ASSERT_TRUE(Driver().Unload());
    DriverSearchFolder none("none");

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_EQ(7u, sim::Announcements().size());
    EXPECT_EQ(1, FinishKorvu()) << "finish after a failed set-up is harmless";
    EXPECT_EQ(1, FinishKorvu());
}

TEST_F(LifecycleTest, DriverLackingTheSwitchValueEntryIsFreedAndSetUpFails)
{
    ASSERT_TRUE(Driver().Unload());
    DriverSearchFolder folder("without_TovelGetSwitchValue");

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_FALSE(DriverLoaded());
    EXPECT_EQ(1, FinishKorvu());
}

TEST_F(LifecycleTest, FinishClosesThePresentBoardsAndFreesTheDriver)
{
    Driver().TovelSimSetBoard(1, 1, 0x300, 16, 1);
    Driver().TovelSimSetBoard(4, 1, 0x320, 16, 4);
    Driver().TovelSimInjectFault(4, kTovelSimFailSwitchValue, 0, 0, 0);
    ASSERT_EQ(1, SetupKorvu());
    EXPECT_TRUE(Driver().TovelSimIsOpen(1));

    EXPECT_EQ(1, FinishKorvu());
    EXPECT_FALSE(Driver().TovelSimIsOpen(1));
    EXPECT_TRUE(Driver().TovelSimIsOpen(4)) << "a board marked absent is not closed";
    EXPECT_EQ(1u, Driver().TovelSimCalls("TovelClose"));
    EXPECT_TRUE(Driver().Unload()) << "the plug-in no longer holds the driver";

    EXPECT_EQ(1, FinishKorvu()) << "a second finish is harmless";
}

// ------------------------------------------------------------------ the menu

namespace {

std::wstring MenuText(HMENU menu, UINT position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(LifecycleTest, InsertsItsPopupAsTheFourthEntryOfTheHostsMenuBar)
{
    ASSERT_EQ(4, GetMenuItemCount(sim::MainMenu()));
    ASSERT_EQ(1, SetupKorvu());

    HMENU bar = sim::MainMenu();
    ASSERT_EQ(5, GetMenuItemCount(bar));
    EXPECT_EQ(L"OVRIN(&O)", MenuText(bar, 3));
    EXPECT_EQ(L"ヘルプ(&H)", MenuText(bar, 4)) << "the host's own entries keep their order";
    HMENU popup = GetSubMenu(bar, 3);
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(2, GetMenuItemCount(popup));
    EXPECT_EQ(L"Tovel IN", MenuText(popup, 0));
    EXPECT_EQ(2951u, GetMenuItemID(popup, 0));
    EXPECT_EQ(L"Tovel OUT", MenuText(popup, 1));
    EXPECT_EQ(2950u, GetMenuItemID(popup, 1));

    ASSERT_EQ(1u, sim::MenuEntries().size());
    EXPECT_EQ(4990u, sim::MenuEntries()[0].command);
    EXPECT_NE(nullptr, sim::MenuEntries()[0].callback);
}

namespace {

HMENU g_loadedMenu;
std::vector<HWND> g_barsDrawn;

HMENU WINAPI RecordLoadMenu(HINSTANCE instance, LPCSTR name)
{
    return g_loadedMenu = LoadMenuA(instance, name);
}

BOOL WINAPI RecordDrawMenuBar(HWND window)
{
    g_barsDrawn.push_back(window);
    return DrawMenuBar(window);
}

}  // namespace

TEST_F(LifecycleTest, FreesTheResourceMenusWrapperAndRedrawsTheBar)
{
    sim::ImportPatch load(Dll(), "USER32.dll", "LoadMenuA", reinterpret_cast<void*>(&RecordLoadMenu));
    sim::ImportPatch draw(Dll(), "USER32.dll", "DrawMenuBar", reinterpret_cast<void*>(&RecordDrawMenuBar));
    ASSERT_TRUE(load.Installed() && draw.Installed());
    g_barsDrawn.clear();
    ASSERT_EQ(1, SetupKorvu());
    ASSERT_NE(nullptr, g_loadedMenu);
    EXPECT_FALSE(IsMenu(g_loadedMenu)) << "the wrapper is freed";
    EXPECT_TRUE(IsMenu(GetSubMenu(sim::MainMenu(), 3))) << "the popup lives on in the host's bar";
    EXPECT_THAT(g_barsDrawn, testing::ElementsAre(sim::HostWindow()));
}

TEST_F(LifecycleTest, SetUpEntryShowsItsMessageBoxAndDoesNothingElse)
{
    ASSERT_EQ(1, SetupKorvu());
    ASSERT_EQ(1u, sim::MenuEntries().size());
    size_t callsBefore = sim::HostCalls().size();

    DialogScript box;
    std::wstring caption, message;
    int buttons = 0;
    box.Then([&](HWND d) {
        caption = WindowTextW(d);
        message = ControlText(d, 0xFFFF);  // the message box's text
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[16];
            GetClassNameA(c, cls, sizeof cls);
            buttons += lstrcmpiA(cls, "Button") == 0;
        }
        Click(d, IDOK);
    });
    int32_t result;
    {
        ArmedScripts armed({&box});
        result = sim::MenuEntries()[0].callback();
    }
    EXPECT_TRUE(box.Completed());
    EXPECT_EQ(L"Setup", caption);
    EXPECT_EQ(L"Do here some setup functions!", message);
    EXPECT_EQ(1, buttons) << "OK only";
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(callsBefore, sim::HostCalls().size());
}

TEST_F(LifecycleTest, MissingDriverLeavesTheMenuBarAndTheWindowClassesAlone)
{
    ASSERT_TRUE(Driver().Unload());
    DriverSearchFolder none("none");

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_EQ(4, GetMenuItemCount(sim::MainMenu()));
    EXPECT_TRUE(sim::MenuEntries().empty());
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(Dll(), "DOR:CONTROLKANAL", &wc));
    EXPECT_FALSE(GetClassInfoA(Dll(), "DOR:CONTROLLESSMORE", &wc));
}

TEST_F(LifecycleTest, FinishWithNoDialogEverOpenedDeletesNoFont)
{
    ASSERT_EQ(1, SetupKorvu());
    EXPECT_EQ(1, FinishKorvu());
    EXPECT_TRUE(sim::ObjectsDeleted().empty());
    EXPECT_EQ(0, sim::LiveStackedObjects());
}

TEST_F(LifecycleTest, WepDoesNothingAndAnswersOne)
{
    Driver().TovelSimSetBoard(0, 1, 0x300, 16, 0);
    ASSERT_EQ(1, SetupKorvu());
    size_t calls = sim::HostCalls().size();
    EXPECT_EQ(1, Wep());
    EXPECT_EQ(calls, sim::HostCalls().size());
    EXPECT_TRUE(Driver().TovelSimIsOpen(0)) << "WEP finishes nothing";
}
