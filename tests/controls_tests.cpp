// The channel button and the expand arrow: real windows of the plug-in's
// classes, with the messages their parent receives compared as sequences.

#include <gmock/gmock.h>

#include <string.h>

#include <memory>

#include "controls/controls.h"
#include "tests/kit/message_sequence.h"
#include "tests/kit/plugin_fixture.h"

namespace {

const char kParentClass[] = "KorvuTestParent";

LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

class ControlTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        SetupKorvuOrFail();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kParentClass;
        RegisterClassA(&wc);
        parent_ = CreateWindowExA(0, kParentClass, "parent", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, parent_);
        recorder_.reset(new MessageRecorder(parent_, {KANAL_LBUTTONDOWN, KANAL_LBUTTONUP, KANAL_LBUTTONDBLCLK,
                                                      KANAL_RBUTTONDBLCLK, WM_COMMAND}));
    }
    void TearDown() override
    {
        recorder_.reset();
        DestroyWindow(parent_);
        PluginTest::TearDown();
    }

    HWND Make(const char* cls, int id, int x = 10, int y = 20)
    {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, x, y, 11, 15, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Dll(), nullptr);
    }
    // CTL_SETSTATE answers 0, as every message the controls handle.
    void SetState(HWND control, WPARAM state) { EXPECT_EQ(0, SendMessageA(control, CTL_SETSTATE, state, 0)); }
    // Paints what is pending, so that a later invalidation shows.
    static bool Invalid(HWND w) { return GetUpdateRect(w, nullptr, FALSE) != FALSE; }
    static COLORREF Pixel(HWND w, int x, int y)
    {
        HDC dc = GetDC(w);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(w, dc);
        return c;
    }

    HWND parent_ = nullptr;
    std::unique_ptr<MessageRecorder> recorder_;
};

TEST_F(ControlTest, ClassesAreRegisteredWithTheirAttributes)
{
    struct {
        const char* name;
        UINT style;
    } classes[] = {{"DOR:CONTROLKANAL", CS_DBLCLKS}, {"DOR:CONTROLLESSMORE", 0}};
    for (const auto& c : classes) {
        WNDCLASSA wc;
        ASSERT_TRUE(GetClassInfoA(Dll(), c.name, &wc)) << c.name;
        EXPECT_EQ(c.style, wc.style) << c.name;
        EXPECT_EQ(0, wc.cbClsExtra);
        EXPECT_EQ(2, wc.cbWndExtra);
        EXPECT_EQ(GetStockObject(DKGRAY_BRUSH), wc.hbrBackground);
        EXPECT_EQ(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), wc.hCursor);
        EXPECT_EQ(nullptr, wc.hIcon);
        EXPECT_EQ(nullptr, wc.lpszMenuName);
    }
    FinishKorvu();
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(Dll(), "DOR:CONTROLKANAL", &wc)) << "unregistered at finish";
    EXPECT_FALSE(GetClassInfoA(Dll(), "DOR:CONTROLLESSMORE", &wc));
}

TEST_F(ControlTest, ASecondRegistrationStillSetsUp)
{
    // The classes exist from the first set-up; a second plug-in set-up in the
    // same process must still answer 1 when its registration finds them there.
    FinishKorvu();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = Dll();
    wc.lpszClassName = "DOR:CONTROLKANAL";
    ASSERT_TRUE(RegisterClassA(&wc));
    sim::ResetHost();
    EXPECT_EQ(1, SetupKorvu());
    UnregisterClassA("DOR:CONTROLKANAL", Dll());
}

TEST_F(ControlTest, ControlsSizeThemselvesAndKeepTheirPosition)
{
    for (const char* cls : {"DOR:CONTROLKANAL", "DOR:CONTROLLESSMORE"}) {
        HWND c = Make(cls, 23002, 17, 23);
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(17, r.left) << cls;
        EXPECT_EQ(23, r.top) << cls;
        bool button = strcmp(cls, "DOR:CONTROLKANAL") == 0;
        EXPECT_EQ(button ? 22 : 24, r.right - r.left) << cls;
        EXPECT_EQ(button ? 30 : 32, r.bottom - r.top) << cls;
        EXPECT_EQ(0, ControlState(c)) << "state 0 after creation";
    }
}

TEST_F(ControlTest, ChannelButtonDoubleClickReportsDownUpDoubleUp)
{
    HWND b = Make("DOR:CONTROLKANAL", 23005);
    SetState(b, kChannelInUse);
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    const WPARAM self = reinterpret_cast<WPARAM>(b);
    const ExpectedMessage expected[] = {
        {KANAL_LBUTTONDOWN, kWParam | kLParam, self, kChannelInUse},
        {KANAL_LBUTTONUP, kWParam | kLParam, self, kChannelInUse},
        {KANAL_LBUTTONDBLCLK, kWParam | kLParam, self, kChannelInUse},
        {KANAL_LBUTTONUP, kWParam | kLParam, self, kChannelInUse},
    };
    ExpectSequence(*recorder_, expected, "left double-click");
    EXPECT_EQ(kChannelInUse, ControlState(b)) << "mouse input never changes the state";
}

TEST_F(ControlTest, DoubleClicksGiveNothingOfTheirOwnWhileAnExperimentRuns)
{
    HWND b = Make("DOR:CONTROLKANAL", 23002);
    SetState(b, kChannelNotInUse);
    sim::SetExperimentRunning(true);
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(b, WM_LBUTTONUP, 0, 0);
    SendMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    SendMessageA(b, WM_LBUTTONUP, 0, 0);
    SendMessageA(b, WM_RBUTTONDBLCLK, MK_RBUTTON, 0);
    const ExpectedMessage expected[] = {
        {KANAL_LBUTTONDOWN, kLParam, 0, kChannelNotInUse},
        {KANAL_LBUTTONUP, kLParam, 0, kChannelNotInUse},
        {KANAL_LBUTTONUP, kLParam, 0, kChannelNotInUse},
    };
    ExpectSequence(*recorder_, expected, "double-clicks during a run");

    recorder_->Clear();
    sim::SetExperimentRunning(false);
    SendMessageA(b, WM_RBUTTONDBLCLK, MK_RBUTTON, 0);
    const ExpectedMessage right[] = {{KANAL_RBUTTONDBLCLK, kLParam, 0, kChannelNotInUse}};
    ExpectSequence(*recorder_, right, "right double-click, no run");
}

TEST_F(ControlTest, RightClickGivesNothing)
{
    HWND b = Make("DOR:CONTROLKANAL", 23002);
    SendMessageA(b, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageA(b, WM_RBUTTONUP, 0, 0);
    ExpectNoMessages(*recorder_, "right click");
}

TEST_F(ControlTest, DeselectRepaintsOnlyTheSelectedButton)
{
    HWND b = Make("DOR:CONTROLKANAL", 23002);
    for (WPARAM state : {0, int(kChannelInUse), int(kChannelNotInUse)}) {
        SetState(b, state);
        UpdateWindow(b);
        SendMessageA(b, KANAL_DESELECT, 0, 0);
        EXPECT_FALSE(Invalid(b)) << "state " << state;
        EXPECT_EQ(state, ControlState(b));
    }
    SetState(b, kChannelSelected);
    UpdateWindow(b);
    SendMessageA(b, KANAL_DESELECT, 0, 0);
    EXPECT_TRUE(Invalid(b));
    EXPECT_EQ(kChannelInUse, ControlState(b));
}

TEST_F(ControlTest, SetStateKeepsTheLowWordAndRepaintsEvenWhenUnchanged)
{
    HWND b = Make("DOR:CONTROLKANAL", 23002);
    SetState(b, 0x70000 | kChannelInUse);
    EXPECT_EQ(kChannelInUse, ControlState(b));
    UpdateWindow(b);
    SetState(b, kChannelInUse);
    EXPECT_TRUE(Invalid(b));
}

TEST_F(ControlTest, ButtonsPaintTheHostBitmapOfTheirState)
{
    HWND b = Make("DOR:CONTROLKANAL", 23002);
    HWND a = Make("DOR:CONTROLLESSMORE", 23000, 60, 20);
    // The corners too: a bitmap drawn a pixel off leaves the background there.
    for (WORD state = 0; state < 4; ++state) {
        SetState(b, state);
        UpdateWindow(b);
        for (POINT p : {POINT{0, 0}, POINT{11, 15}, POINT{21, 29}})
            EXPECT_EQ(sim::ChannelBitmapColour(state), Pixel(b, p.x, p.y)) << "channel state " << state << " at " << p.x << "," << p.y;
    }
    for (WORD state = 0; state < 6; ++state) {
        SetState(a, state);
        UpdateWindow(a);
        for (POINT p : {POINT{0, 0}, POINT{12, 16}, POINT{23, 31}})
            EXPECT_EQ(sim::LessMoreBitmapColour(state), Pixel(a, p.x, p.y)) << "arrow state " << state << " at " << p.x << "," << p.y;
    }
    // A state past the host's bitmaps (4 and 6 of them) draws nothing rather
    // than reading past them.
    const struct {
        HWND control;
        WORD shown;
        COLORREF colour;
        WORD past;
        POINT at;
    } pastTheBitmaps[] = {
        {b, kChannelSelected, sim::ChannelBitmapColour(kChannelSelected), kChannelBitmaps, {11, 15}},
        {b, kChannelSelected, sim::ChannelBitmapColour(kChannelSelected), 40000, {11, 15}},
        {a, kLessUp, sim::LessMoreBitmapColour(kLessUp), kExpandBitmaps, {12, 16}},
        {a, kLessUp, sim::LessMoreBitmapColour(kLessUp), 40000, {12, 16}},
    };
    for (const auto& c : pastTheBitmaps) {
        SetState(c.control, c.shown);
        UpdateWindow(c.control);
        SetState(c.control, c.past);
        UpdateWindow(c.control);
        EXPECT_EQ(c.colour, Pixel(c.control, c.at.x, c.at.y)) << "state " << c.past << " draws nothing";
    }
}

TEST_F(ControlTest, ArrowPressOnADisabledStateDoesNothing)
{
    for (WPARAM state : {kLessDisabled, kMoreDisabled}) {
        HWND a = Make("DOR:CONTROLLESSMORE", 23000);
        SetState(a, state);
        UpdateWindow(a);
        SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_NE(a, GetCapture());
        EXPECT_FALSE(Invalid(a));
        SendMessageA(a, WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(state, ControlState(a));
        DestroyWindow(a);
    }
    ExpectNoMessages(*recorder_, "disabled arrows");
}

TEST_F(ControlTest, ArrowShowsPressedAtOnceAndReleaseAnywhereSendsTheCommand)
{
    HWND a = Make("DOR:CONTROLLESSMORE", 23001);
    SetState(a, kMoreUp);
    UpdateWindow(a);
    SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(kMorePressed, ControlState(a));
    EXPECT_EQ(a, GetCapture());
    EXPECT_FALSE(Invalid(a)) << "repainted at once";
    EXPECT_EQ(sim::LessMoreBitmapColour(kMorePressed), Pixel(a, 12, 16));
    ExpectNoMessages(*recorder_, "press");

    SendMessageA(a, WM_LBUTTONUP, 0, MAKELPARAM(-200, 500));  // far outside the arrow
    EXPECT_EQ(kMoreUp, ControlState(a));
    EXPECT_EQ(nullptr, GetCapture());
    const ExpectedMessage more[] = {{WM_COMMAND, kWParam | kLParam, kCommandMore, 0}};
    ExpectSequence(*recorder_, more, "release outside");
}

TEST_F(ControlTest, ArrowReleasedWithoutItsPressSendsNothing)
{
    HWND a = Make("DOR:CONTROLLESSMORE", 23001);
    SetState(a, kMoreUp);
    SendMessageA(a, WM_LBUTTONUP, 0, 0);  // the press went to another window
    EXPECT_EQ(kMoreUp, ControlState(a));
    ExpectNoMessages(*recorder_, "release without capture");
}

TEST_F(ControlTest, QuickDoubleClickOnAnArrowGivesTwoCommands)
{
    HWND a = Make("DOR:CONTROLLESSMORE", 23000);
    SetState(a, kLessUp);
    for (int i = 0; i < 2; ++i) {
        SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageA(a, WM_LBUTTONUP, 0, 0);
    }
    const ExpectedMessage twice[] = {
        {WM_COMMAND, kWParam | kLParam, kCommandLess, 0},
        {WM_COMMAND, kWParam | kLParam, kCommandLess, 0},
    };
    ExpectSequence(*recorder_, twice, "two quick presses");
}

TEST_F(ControlTest, ArrowReportsByItsStateNotItsId)
{
    HWND a = Make("DOR:CONTROLLESSMORE", 777);
    SetState(a, kLessUp);
    SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(a, WM_LBUTTONUP, 0, 0);
    const ExpectedMessage less[] = {{WM_COMMAND, kWParam | kLParam, kCommandLess, 0}};
    ExpectSequence(*recorder_, less, "arrow 777 in a less state");
}

TEST_F(ControlTest, ArrowDisabledWhileHeldLetsTheMouseGoWithoutACommand)
{
    const struct {
        WPARAM up, disabled;
    } arrows[] = {{kLessUp, kLessDisabled}, {kMoreUp, kMoreDisabled}};
    for (const auto& arrow : arrows) {
        HWND a = Make("DOR:CONTROLLESSMORE", 23001);
        SetState(a, arrow.up);
        SendMessageA(a, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        ASSERT_EQ(a, GetCapture());
        SetState(a, arrow.disabled);  // a foreign 23001 at seven channels does this
        SendMessageA(a, WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(nullptr, GetCapture());
        EXPECT_EQ(arrow.disabled, ControlState(a));
        DestroyWindow(a);
    }
    ExpectNoMessages(*recorder_, "released while disabled");
}
