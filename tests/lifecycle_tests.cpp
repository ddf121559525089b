// Set-up and finish of the real plug-in in the host simulator, with the
// simulated driver or without one.

#include <gmock/gmock.h>

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
