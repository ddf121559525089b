#include "tests/kit/plugin_fixture.h"

#include "sim/common/paths.h"

void PluginTest::SetUp()
{
    sim::ResetHost();
    ASSERT_TRUE(driver_.Load()) << "the simulated tovel.dll in drivers\\full";
    ASSERT_TRUE(sim::LoadPlugin(PathBesideProgram("Korvu_ux1.dll").c_str(), &plugin_))
        << "Korvu_ux1.dll beside the test program, with its three exports";
}

int32_t PluginTest::SetupKorvuWith(HWND host)
{
    finishDue_ = true;
    return plugin_.setup(host);
}

int32_t PluginTest::FinishKorvu()
{
    finishDue_ = false;
    return plugin_.finish(0);
}

void PluginTest::TearDown()
{
    if (finishDue_ && plugin_.finish)
        FinishKorvu();
    sim::UnloadPlugin(&plugin_);
    driver_.Unload();
    for (const sim::Allocation& a : sim::LiveAllocations())
        ADD_FAILURE() << "leaked " << a.size << " bytes from " << a.tag << " line " << a.line;
    sim::ResetHost();
}

void PluginTest::SetupKorvuOrFail()
{
    ASSERT_EQ(1, SetupKorvu());
}
