// The about box: its procedure against the real DLL's template and strings.

#include <gmock/gmock.h>

#include <memory>

#include "dialogs/about_box.h"
#include "host/instance.h"
#include "resources/resource_ids.h"
#include "sim/user/dialog_script.h"
#include "tests/kit/message_sequence.h"
#include "tests/kit/plugin_fixture.h"
#include "sim/pictures/screenshot.h"

// The procedure runs here, with the plug-in's own resources.
HINSTANCE hInstDll;

class AboutBoxTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        hInstDll = Dll();
    }
};

TEST_F(AboutBoxTest, ShowsTheVersionAndClosesOnlyByOk)
{
    const ExpectedMessage kEscapeThenCloseBoxThenOk[] = {
        {WM_COMMAND, kWParam, IDCANCEL, 0},   // Escape: ignored
        {WM_CLOSE, 0, 0, 0},                  // close box: kept open
        {WM_COMMAND, kWParam, IDOK, 0},       // OK
    };
    DialogScript about;
    std::unique_ptr<MessageRecorder> recorder;
    std::wstring version, caption;
    bool shown = false;
    about.Then([&](HWND d) {
             recorder.reset(new MessageRecorder(d, {WM_COMMAND, WM_CLOSE}));
             version = ControlText(d, IDC_ABOUT_VERSION);
             caption = WindowTextW(d);
             shown = IsWindowVisible(d);
             SaveScreenshot(d, "about_box");  // for a person to look at
             PressKey(d, VK_ESCAPE);
         })
        .Then([&](HWND d) {
            EXPECT_TRUE(IsWindow(d)) << "Escape leaves it open";
            PressCloseBox(d);
        })
        .Then([&](HWND d) {
            EXPECT_TRUE(IsWindow(d)) << "the close box leaves it open";
            Click(d, IDOK);
        });
    {
        ArmedScripts armed({&about});
        ShowAboutBox(sim::HostWindow());
    }
    EXPECT_TRUE(about.Completed());
    EXPECT_EQ(L"Tovel Module Version 2.0", version);
    EXPECT_EQ(L"このﾓｼﾞｭｰﾙについて", caption);
    EXPECT_TRUE(shown);
    ASSERT_TRUE(recorder);
    ExpectSequence(*recorder, kEscapeThenCloseBoxThenOk, "about box");
}

TEST_F(AboutBoxTest, EnterClosesItThroughTheDefaultButton)
{
    DialogScript about;
    about.Then([](HWND d) { PressKey(d, VK_RETURN); });
    {
        ArmedScripts armed({&about});
        ShowAboutBox(sim::HostWindow());
    }
    EXPECT_TRUE(about.Completed());
}
