// PlaceDialog and the dialog font, built in and bound to the host simulator
// the way the plug-in binds (the settings dialog tests cover them in the DLL).
// The screen is Xvfb's 1024 x 768.

#include <gmock/gmock.h>

#include "controls/dialog_layout.h"
#include "host/binding.h"
#include "sim/host/sim_host.h"
#include "tests/kit/plugin_fixture.h"

namespace {

HWND Popup(int x, int y, int w, int h)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

POINT TopLeft(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    return POINT{r.left, r.top};
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

}  // namespace

class PlaceDialogTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        ASSERT_EQ(1, BindToHost(sim::HostWindow()));
        ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN)) << "the test display is 1024 x 768";
        ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            DestroyWindow(w);
        ReleaseDialogFont();
        PluginTest::TearDown();
    }
    HWND Keep(HWND w)
    {
        windows_.push_back(w);
        return w;
    }
    // A dialog with edit, list, combo, static and button children, from the
    // plug-in's own hardware selection template.
    HWND TemplateDialog()
    {
        return Keep(CreateDialogParamA(Dll(), "DEV_SEL", nullptr, NoDialogProc, 0));
    }
    std::vector<HWND> windows_;
};

TEST_F(PlaceDialogTest, CentresOverTheReferencesClientArea)
{
    HWND reference = Keep(Popup(400, 300, 200, 200));  // client centre at (500, 400)
    HWND dialog = Keep(Popup(0, 0, 300, 201));
    PlaceDialog(dialog, reference);
    POINT p = TopLeft(dialog);
    EXPECT_EQ(350, p.x);
    EXPECT_EQ(300, p.y) << "201 / 2 is 100";
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(300, r.right - r.left);
    EXPECT_EQ(201, r.bottom - r.top);
}

TEST_F(PlaceDialogTest, KeepsTheDialogOnTheScreen)
{
    HWND reference = Keep(Popup(800, 600, 200, 160));  // centre (900, 680)
    HWND dialog = Keep(Popup(0, 0, 300, 201));
    PlaceDialog(dialog, reference);
    POINT p = TopLeft(dialog);
    EXPECT_EQ(1024 - 300, p.x);
    EXPECT_EQ(768 - 201, p.y);

    HWND wide = Keep(Popup(0, 0, 1100, 900));
    PlaceDialog(wide, reference);
    p = TopLeft(wide);
    EXPECT_EQ(0, p.x) << "wider than the screen";
    EXPECT_EQ(0, p.y) << "taller than the screen";

    HWND offscreen = Keep(Popup(-400, -300, 200, 200));  // centre (-300, -200)
    HWND small = Keep(Popup(500, 500, 100, 50));
    PlaceDialog(small, offscreen);
    p = TopLeft(small);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(0, p.y);
}

TEST_F(PlaceDialogTest, WithoutAReferenceCentresOnTheDesktop)
{
    HWND dialog = Keep(Popup(0, 0, 300, 201));
    PlaceDialog(dialog, nullptr);
    POINT p = TopLeft(dialog);
    EXPECT_EQ(512 - 150, p.x);
    EXPECT_EQ(384 - 100, p.y);
}

TEST_F(PlaceDialogTest, GivesANormalWeightFontToAllButEditListAndComboChildren)
{
    HWND dialog = TemplateDialog();
    ASSERT_NE(nullptr, dialog);
    HFONT own = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, own);
    PlaceDialog(dialog, nullptr);

    ASSERT_EQ(1u, sim::FontsCreated().size());
    LOGFONTA expected;
    GetObjectA(own, sizeof expected, &expected);
    expected.lfWeight = 400;
    const LOGFONTA& made = sim::FontsCreated()[0].logfont;
    // The dialog's font, at weight 400 (the face name compared up to its end).
    EXPECT_EQ(0, memcmp(&expected, &made, offsetof(LOGFONTA, lfFaceName)));
    EXPECT_STREQ(expected.lfFaceName, made.lfFaceName);
    EXPECT_EQ(400, made.lfWeight);
    const HFONT ours = sim::FontsCreated()[0].font;

    int keptOwn = 0, gotOurs = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32];
        GetClassNameA(c, cls, sizeof cls);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0));
        bool keeps = !lstrcmpiA(cls, "Edit") || !lstrcmpiA(cls, "ListBox") || !lstrcmpiA(cls, "ComboBox");
        EXPECT_EQ(keeps ? own : ours, font) << cls;
        (keeps ? keptOwn : gotOurs)++;
    }
    EXPECT_EQ(6, keptOwn);   // four edits, the list and the combo box
    EXPECT_EQ(9, gotOurs);   // buttons, group boxes, statics
}

TEST_F(PlaceDialogTest, TheFontIsMadeOnceAndHandedBackOnce)
{
    PlaceDialog(TemplateDialog(), nullptr);
    PlaceDialog(TemplateDialog(), nullptr);
    EXPECT_EQ(1u, sim::FontsCreated().size());
    ReleaseDialogFont();
    ReleaseDialogFont();
    EXPECT_EQ(1u, sim::ObjectsDeleted().size());
    EXPECT_EQ(0, sim::LiveStackedObjects());
}

TEST_F(PlaceDialogTest, AFontThatCannotBeMadeIsTriedAgainNextTime)
{
    sim::RefuseFonts(true);
    HWND dialog = TemplateDialog();
    PlaceDialog(dialog, nullptr);
    HWND ok = GetDlgItem(dialog, IDOK);
    EXPECT_EQ(nullptr, reinterpret_cast<HFONT>(SendMessageA(ok, WM_GETFONT, 0, 0))) << "the system font then";
    sim::RefuseFonts(false);
    PlaceDialog(dialog, nullptr);
    ASSERT_EQ(2u, sim::FontsCreated().size());
    EXPECT_NE(nullptr, sim::FontsCreated()[1].font);
    EXPECT_EQ(sim::FontsCreated()[1].font, reinterpret_cast<HFONT>(SendMessageA(ok, WM_GETFONT, 0, 0)));
}
