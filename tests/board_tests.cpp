// The board table and the locked port transfer, against the simulated driver.

#include <gmock/gmock.h>

#include <string.h>

#include "board/board_driver.h"
#include "board/board_table.h"
#include "board/tovel_api.h"
#include "sim/driver/sim_driver.h"

namespace {

class BoardTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.Load());
        memset(BoardTable, 0, sizeof BoardTable);
    }
    void TearDown() override
    {
        ExitBoardTable();
        EXPECT_TRUE(driver_.Unload()) << "the board table let go of the driver";
    }
    SimDriver driver_;
};

}  // namespace

bool operator==(const BoardInfo& a, const BoardInfo& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

void PrintTo(const BoardInfo& b, std::ostream* os)
{
    *os << "{present " << b.bPresent << ", address 0x" << std::hex << b.dwIoPortAddress << std::dec << ", length "
        << b.dwIoPortLength << ", switch 0x" << std::hex << b.dwSwitchValue << std::dec << ", in reserved "
        << b.bInputReserved[0] << b.bInputReserved[1] << ", out reserved " << b.bOutputReserved[0]
        << b.bOutputReserved[1] << "}";
}

namespace {

bool AllZero(const BoardInfo& b)
{
    return b == BoardInfo{};
}

}  // namespace

TEST_F(BoardTableTest, WithNoBoardEverySlotStaysZero)
{
    ASSERT_EQ(1, InitBoardTable());
    for (int s = 0; s < kBoardSlots; ++s)
        EXPECT_TRUE(AllZero(BoardTable[s])) << "slot " << s;
    EXPECT_EQ(16u, driver_.TovelSimCalls("TovelCreate"));
    EXPECT_EQ(0u, driver_.TovelSimCalls("TovelGetVersion"));

    EXPECT_EQ(1, ExitBoardTable());
    EXPECT_EQ(0u, driver_.TovelSimCalls("TovelClose"));
}

TEST_F(BoardTableTest, ProbesEverySlotAndClearsTheReservations)
{
    driver_.TovelSimSetBoard(2, 1, 0x300, 16, 0x2A);
    driver_.TovelSimSetBoard(5, 1, 0xE800, 32, 0x5);
    for (BoardInfo& b : BoardTable)
        b = BoardInfo{0, 0, 0, 0, {1, 1}, {1, 1}};

    ASSERT_EQ(1, InitBoardTable());

    EXPECT_EQ((BoardInfo{1, 0x300, 16, 0x2A, {0, 0}, {0, 0}}), BoardTable[2]);
    EXPECT_EQ((BoardInfo{1, 0xE800, 32, 0x5, {0, 0}, {0, 0}}), BoardTable[5]);
    for (int s = 0; s < kBoardSlots; ++s) {
        if (s != 2 && s != 5) {
            EXPECT_TRUE(AllZero(BoardTable[s])) << "slot " << s;
        }
    }

    ExitBoardTable();
    EXPECT_FALSE(driver_.TovelSimIsOpen(2));
    EXPECT_FALSE(driver_.TovelSimIsOpen(5));
    EXPECT_EQ(2u, driver_.TovelSimCalls("TovelClose"));
}

TEST_F(BoardTableTest, SetUpTakesExactlyOneForYesAndFollowsTheSlotWord)
{
    // Distinct bytes in both fields read from the resource record.
    const uint32_t address = 0x12345678, length = 0x0A0B0C0D;
    driver_.TovelSimSetBoard(1, 1, address, length, 0x11);
    driver_.TovelSimSetAnswers(1, 2, 1);   // "opened", but not with exactly 1
    driver_.TovelSimSetBoard(2, 1, address, length, 0x22);
    driver_.TovelSimSetAnswers(2, -1, 1);
    driver_.TovelSimSetBoard(3, 1, address, length, 0x33);
    driver_.TovelSimSetAnswers(3, 1, 2);   // a record, but not with exactly 1
    driver_.TovelSimSetBoard(4, 1, address, length, 0x44);
    driver_.TovelSimSetBoard(6, 1, 0x600, 6, 0x66);
    driver_.TovelSimSetSlotWord(6, 9);     // later calls for slot 6 address board 9
    driver_.TovelSimSetBoard(9, 1, 0x0900A0B0, 9, 0x99);

    ASSERT_EQ(1, InitBoardTable());
    EXPECT_TRUE(AllZero(BoardTable[1]));
    EXPECT_TRUE(AllZero(BoardTable[2]));
    EXPECT_EQ((BoardInfo{1, 0, 0, 0x33, {0, 0}, {0, 0}}), BoardTable[3]);
    EXPECT_EQ((BoardInfo{1, address, length, 0x44, {0, 0}, {0, 0}}), BoardTable[4]);
    EXPECT_EQ((BoardInfo{1, 0x0900A0B0, 9, 0x99, {0, 0}, {0, 0}}), BoardTable[6]);
}

TEST_F(BoardTableTest, WrappersPassTheSlotsLowSixteenBitsAndTheValuesLowEight)
{
    driver_.TovelSimSetBoard(4, 1, 0x300, 16, 0x44);
    driver_.TovelSimSetInput(4, 1, 0x3C);
    ASSERT_EQ(1, InitBoardTable());
    const uint32_t wide = 0x10004;  // slot 4 with a stray high word
    EXPECT_EQ(1, BoardOutPort(wide, 0, 0x1A5));
    EXPECT_EQ(4u, driver_.Trace().back().slot);
    EXPECT_EQ(0xA5u, driver_.Trace().back().value);
    uint8_t byte = 0;
    EXPECT_EQ(1, BoardInPort(wide, 1, &byte));
    EXPECT_EQ(0x3C, byte);
    uint32_t switchValue = 0;
    EXPECT_EQ(1, BoardGetSwitchValue(wide, &switchValue));
    EXPECT_EQ(0x44u, switchValue);
    uint8_t resource[kTovelResourceSize];
    EXPECT_EQ(1, BoardGetResource(wide, resource));
    EXPECT_EQ(0, BoardGetLastError(wide));
    EXPECT_EQ(1, BoardClose(wide));
    EXPECT_FALSE(driver_.TovelSimIsOpen(4));
}

TEST_F(BoardTableTest, FailedSwitchReadLeavesTheBoardAbsentKeptAndOpen)
{
    driver_.TovelSimSetBoard(3, 1, 0x340, 8, 0x7);
    driver_.TovelSimInjectFault(3, kTovelSimFailSwitchValue, 0, 0, 0);

    ASSERT_EQ(1, InitBoardTable());
    EXPECT_EQ(0u, BoardTable[3].bPresent);
    EXPECT_EQ(0x340u, BoardTable[3].dwIoPortAddress);
    EXPECT_EQ(8u, BoardTable[3].dwIoPortLength);
    EXPECT_EQ(0u, BoardTable[3].dwSwitchValue);

    ExitBoardTable();
    EXPECT_TRUE(driver_.TovelSimIsOpen(3)) << "an absent board is not closed";
}

TEST_F(BoardTableTest, UndeliveredResourceLeavesThePresentBoardWithoutAddress)
{
    driver_.TovelSimSetBoard(7, 1, 0x360, 16, 0x1);
    ASSERT_EQ(1, InitBoardTable());  // an earlier set-up that got the address
    ASSERT_EQ(1, ExitBoardTable());
    driver_.TovelSimInjectFault(7, kTovelSimFailResource, 0, 0, 0);

    ASSERT_EQ(1, InitBoardTable());
    EXPECT_EQ(1u, BoardTable[7].bPresent);
    EXPECT_EQ(0u, BoardTable[7].dwIoPortAddress);
    EXPECT_EQ(0u, BoardTable[7].dwIoPortLength);
    EXPECT_EQ(1u, BoardTable[7].dwSwitchValue);
}

TEST_F(BoardTableTest, BoardThatDoesNotOpenIsAbsent)
{
    driver_.TovelSimSetBoard(1, 1, 0x300, 16, 0x1);
    driver_.TovelSimInjectFault(1, kTovelSimFailCreate, 0, 0, 0);

    ASSERT_EQ(1, InitBoardTable());
    EXPECT_TRUE(AllZero(BoardTable[1]));
    EXPECT_EQ(0u, driver_.TovelSimCalls("TovelGetResource"));
}

TEST_F(BoardTableTest, SecondLoadWhileLoadedChangesNothing)
{
    ASSERT_EQ(1, InitBoardTable());
    EXPECT_EQ(0, LoadBoardDriver());
    EXPECT_TRUE(BoardDriverLoaded());
}

TEST_F(BoardTableTest, LastErrorIsMinusOneWithoutADriver)
{
    EXPECT_EQ(-1, BoardGetLastError(0));
    driver_.TovelSimSetBoard(0, 1, 0x300, 16, 0);
    driver_.TovelSimInjectFault(0, kTovelSimFailOutPort, 1, 0, 4711);
    ASSERT_EQ(1, InitBoardTable());
    uint8_t byte = 0x5A;
    EXPECT_EQ(0, BoardPortIO(0, 0, kPortWrite, &byte));
    EXPECT_EQ(4711, BoardGetLastError(0));

    ExitBoardTable();
    EXPECT_EQ(-1, BoardGetLastError(0));
}

TEST_F(BoardTableTest, ReadChangesExactlyOneByteAndWriteNone)
{
    driver_.TovelSimSetBoard(4, 1, 0x300, 16, 0);
    driver_.TovelSimSetInput(4, 1, 0x3C);
    ASSERT_EQ(1, InitBoardTable());

    uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
    for (uint16_t direction : {1, 2, 0xFFFF}) {  // any direction but 0 reads
        bytes[1] = 0xEE;
        EXPECT_NE(0, BoardPortIO(4, 1, direction, &bytes[1]));
        EXPECT_THAT(bytes, testing::ElementsAre(0xEE, 0x3C, 0xEE)) << "direction " << direction;
    }

    bytes[1] = 0xA7;
    EXPECT_NE(0, BoardPortIO(4, 0, kPortWrite, &bytes[1]));
    EXPECT_THAT(bytes, testing::ElementsAre(0xEE, 0xA7, 0xEE));
    EXPECT_EQ(0xA7u, driver_.TovelSimGetOutput(4, 0));
}

TEST_F(BoardTableTest, FinishWithoutSetUpAndASecondFinishAreHarmless)
{
    EXPECT_EQ(1, ExitBoardTable()) << "no lock was ever created";
    EXPECT_EQ(0u, driver_.TovelSimCalls("TovelClose"));

    driver_.TovelSimSetBoard(0, 1, 0x300, 16, 0);
    ASSERT_EQ(1, InitBoardTable());
    EXPECT_EQ(1, ExitBoardTable());
    EXPECT_EQ(1, ExitBoardTable());
    EXPECT_EQ(1u, driver_.TovelSimCalls("TovelClose"));

    uint8_t byte = 1;
    EXPECT_EQ(0, BoardPortIO(0, 0, kPortWrite, &byte)) << "no transfer reaches a driver that is gone";
    uint8_t resource[kTovelResourceSize];
    EXPECT_EQ(0, BoardGetResource(0, resource)) << "nor a resource query";
}

// ------------------------------------------------------------------ drivers that cannot be bound

// No driver at all, then each entry point missing in turn.
class UnbindableDriver : public testing::TestWithParam<int> {};

TEST_P(UnbindableDriver, FailsTheSetUpAndIsFreedAgain)
{
    const std::string folder = GetParam() < 0 ? "none" : std::string("without_") + kTovelEntryNames[GetParam()];
    DriverSearchFolder search(folder.c_str());
    EXPECT_EQ(0, InitBoardTable());
    EXPECT_FALSE(BoardDriverLoaded());
    EXPECT_FALSE(DriverLoaded()) << "the library was freed again";
    EXPECT_EQ(1, ExitBoardTable());
}

INSTANTIATE_TEST_SUITE_P(EachMissingEntryPoint, UnbindableDriver, testing::Range(-1, int{kTovelEntryCount}),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param < 0 ? std::string("none") : std::string(kTovelEntryNames[info.param]);
                         });

TEST(BoardDriver, BindsTheFullDriverFromTheSearchPath)
{
    DriverSearchFolder folder("full");
    ASSERT_EQ(1, InitBoardTable());
    EXPECT_TRUE(DriverLoaded());
    EXPECT_EQ(1, ExitBoardTable());
    EXPECT_FALSE(DriverLoaded());
}
