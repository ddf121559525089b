// The simulated driver's own behaviour: boards, loopback, patterns, faults,
// the trace and the INI file.

#include <gmock/gmock.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>

#include "board/bind_tovel.h"
#include "sim/driver/sim_driver.h"

using testing::ElementsAre;

namespace {

class TovelSimTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.Load());
        HMODULE m = driver_.Module();
ASSERT_EQ(nullptr, BindTovelEntries(m, &entries_)) << "every entry point exported";
    }

    // A board at the slot, opened as the plug-in opens it.
    void Open(uint32_t slot)
    {
        driver_.TovelSimSetBoard(slot, 1, 0x300, 16, 0);
        uint32_t word = slot;
        ASSERT_EQ(1, entries_.create(&word));
    }

    uint8_t Read(uint32_t slot, uint32_t port)
    {
        uint8_t value = 0xEE;
        EXPECT_EQ(1, entries_.inPort(slot, port, &value));
        return value;
    }

    std::vector<int32_t> WriteResults(uint32_t slot, int count)
    {
        std::vector<int32_t> results;
        for (int i = 0; i < count; ++i)
            results.push_back(entries_.outPort(slot, 0, static_cast<uint32_t>(i)));
        return results;
    }

    SimDriver driver_;
    TovelEntries entries_ = {};
};

std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

}  // namespace

TEST_F(TovelSimTest, BoardsAnswerOnlyWhereConfigured)
{
    driver_.TovelSimSetBoard(6, 1, 0xE800, 32, 0x5A);
    uint32_t word = 5;
    EXPECT_EQ(0, entries_.create(&word));
    word = 6;
    EXPECT_EQ(1, entries_.create(&word));
    EXPECT_TRUE(driver_.TovelSimIsOpen(6));

    uint8_t record[kTovelResourceSize];
    ASSERT_EQ(1, entries_.getResource(6, record));
    EXPECT_EQ(0xE800u, *reinterpret_cast<uint32_t*>(record + kTovelResourceIoAddress));
    EXPECT_EQ(32u, *reinterpret_cast<uint32_t*>(record + kTovelResourceIoLength));
    EXPECT_EQ(0xA5, record[0]) << "the other bytes carry a recognisable pattern";
    EXPECT_EQ(static_cast<uint8_t>(0xA5 ^ 407), record[407]);

    uint32_t value = 0;
    EXPECT_EQ(1, entries_.getSwitchValue(6, &value));
    EXPECT_EQ(0x5Au, value);
    EXPECT_EQ(1, entries_.close(6));
    EXPECT_FALSE(driver_.TovelSimIsOpen(6));
    EXPECT_EQ(0, entries_.outPort(6, 0, 1)) << "a closed board takes no transfer";
    EXPECT_EQ(2, entries_.getLastError(6));
}

TEST_F(TovelSimTest, OutputsReadBackAndLoopbackCarriesThemToInputs)
{
    Open(0);
    Open(3);
    ASSERT_EQ(1, driver_.TovelSimWire(0, 1, 3, 0));
    driver_.TovelSimSetInput(3, 1, 0x42);

    EXPECT_EQ(1, entries_.outPort(0, 1, 0x1A5));  // only the low byte reaches the port
    EXPECT_EQ(0xA5u, driver_.TovelSimGetOutput(0, 1));
    EXPECT_EQ(0xA5, Read(3, 0));
    EXPECT_EQ(0x42, Read(3, 1)) << "an unwired input reads its set value";
    EXPECT_EQ(0, entries_.outPort(0, 2, 0)) << "ports are 0 and 1";
    EXPECT_EQ(3, entries_.getLastError(0));
}

TEST_F(TovelSimTest, CounterPatternAdvancesPerReadAndWraps)
{
    Open(1);
    driver_.TovelSimSetInput(1, 0, 0xFE);
    driver_.TovelSimSetInputPattern(1, 0, kTovelSimCounter);
    EXPECT_EQ(0xFE, Read(1, 0));
    EXPECT_EQ(0xFF, Read(1, 0));
    EXPECT_EQ(0x00, Read(1, 0));
    EXPECT_EQ(0x01, Read(1, 0));
}

TEST_F(TovelSimTest, NthTransferFailsOnceOrFromThenOn)
{
    Open(2);
    driver_.TovelSimInjectFault(2, kTovelSimFailOutPort, 3, 0, -7);
    EXPECT_THAT(WriteResults(2, 5), ElementsAre(1, 1, 0, 1, 1));
    EXPECT_EQ(-7, entries_.getLastError(2));

    driver_.TovelSimInjectFault(2, kTovelSimFailOutPort, 2, 1, 9);
    EXPECT_THAT(WriteResults(2, 4), ElementsAre(1, 0, 0, 0)) << "board removed after the first write";

    Open(4);
    driver_.TovelSimInjectFault(4, kTovelSimFailInPort, 0, 0, 12);
    uint8_t byte = 0x77;
    EXPECT_EQ(0, entries_.inPort(4, 0, &byte));
    EXPECT_EQ(0x77, byte) << "a failed read leaves the byte as it was";
    EXPECT_EQ(12, entries_.getLastError(4));
}

TEST_F(TovelSimTest, SetUpFaultsPerSlot)
{
    driver_.TovelSimSetBoard(8, 1, 0x300, 16, 1);
    driver_.TovelSimInjectFault(8, kTovelSimFailResource, 0, 0, 0);
    driver_.TovelSimInjectFault(8, kTovelSimFailSwitchValue, 0, 0, 0);
    uint32_t word = 8;
    EXPECT_EQ(1, entries_.create(&word));
    uint8_t record[kTovelResourceSize];
    EXPECT_EQ(0, entries_.getResource(8, record));
    uint32_t value;
    EXPECT_EQ(0, entries_.getSwitchValue(8, &value));

    driver_.TovelSimInjectFault(8, kTovelSimFailCreate, 0, 0, 0);
    EXPECT_EQ(0, entries_.create(&word));
}

TEST_F(TovelSimTest, TraceRecordsEveryTransferAndWritesCsv)
{
    Open(0);
    entries_.outPort(0, 0, 0x11);
    Read(0, 1);
    entries_.outPort(0, 5, 0x22);

    std::vector<TovelSimTransfer> trace = driver_.Trace();
    ASSERT_EQ(3u, trace.size());
    EXPECT_EQ(1u, trace[0].sequence);
    EXPECT_EQ(0u, trace[0].direction);
    EXPECT_EQ(0x11u, trace[0].value);
    EXPECT_EQ(1u, trace[1].direction);
    EXPECT_EQ(1u, trace[1].port);
    EXPECT_EQ(0, trace[2].result);
    EXPECT_EQ(GetCurrentThreadId(), trace[0].threadId);
    EXPECT_LE(trace[0].microseconds, trace[2].microseconds);

    std::string csv = TempPath("tovel_trace_test.csv");
    ASSERT_EQ(1, driver_.TovelSimWriteTraceCsv(csv.c_str()));
    std::ifstream file(csv);
    std::string header, first;
    std::getline(file, header);
    std::getline(file, first);
    EXPECT_EQ("sequence,microseconds,thread,slot,port,direction,value,result,error", header);
    EXPECT_THAT(first, testing::EndsWith(",0,0,out,0x11,1,0"));
    file.close();
    DeleteFileA(csv.c_str());
}

TEST_F(TovelSimTest, IniFileDescribesBoardsWiringPatternsAndFaults)
{
    std::string ini = TempPath("tovel_sim_test.ini");
    std::ofstream(ini) << "[board2]\npresent=1\naddress=0x340 ; comment\nlength=8\nswitch=0x2\n"
                          "in1=counter\nfail_out_at=2\nerror=55\n"
                          "[board9]\npresent=1\nfail=switch   ; an absent board\n"
                          "[wiring]\n; a comment line\nin9.0=out2.0\n";
    ASSERT_EQ(1, driver_.TovelSimLoadIni(ini.c_str()));
    DeleteFileA(ini.c_str());

    uint32_t word = 2;
    ASSERT_EQ(1, entries_.create(&word));
    uint8_t record[kTovelResourceSize];
    ASSERT_EQ(1, entries_.getResource(2, record));
    EXPECT_EQ(0x340u, *reinterpret_cast<uint32_t*>(record + kTovelResourceIoAddress));
    EXPECT_EQ(8u, *reinterpret_cast<uint32_t*>(record + kTovelResourceIoLength));
    EXPECT_EQ(0u, Read(2, 1));
    EXPECT_EQ(1u, Read(2, 1));
    EXPECT_THAT(WriteResults(2, 3), ElementsAre(1, 0, 1));
    EXPECT_EQ(55, entries_.getLastError(2));

    word = 9;
    ASSERT_EQ(1, entries_.create(&word));
    uint32_t value;
    EXPECT_EQ(0, entries_.getSwitchValue(9, &value));
    entries_.outPort(2, 0, 0x99);
    EXPECT_EQ(0x99, Read(9, 0));

    EXPECT_EQ(0, driver_.TovelSimLoadIni("Z:\\no\\such\\file.ini"));
}

// Each mistake named with its line and key; a file with any changes nothing.
TEST_F(TovelSimTest, IniFileProblemsAreNamedAndChangeNothing)
{
    const struct {
        std::string lines;
        const char* problem;  // after "<file>:"
    } cases[] = {
        {"[board0\npresent=1\n", "1: [board0: the section name has no closing ']'"},
        {"[board0]\npresent=yes\n", "2: present: 'yes' is not a whole number from 0 to 1"},
        {"[board0]\npresent=1\naddress=zzz\n", "3: address: 'zzz' is not a whole number from 0 to 0xFFFF"},
        {"[board0]\npresent=1\naddress=0x10000\n", "3: address: '0x10000' is not a whole number from 0 to 0xFFFF"},
        {"[board0]\npresent=1\nlength=-4\n", "3: length: '-4' is not a whole number from 1 to 0xFFFF"},
        {"[board0]\npresent=1\nin1=256\n", "3: in1: '256' is not a whole number from 0 to 0xFF"},
        {"[board0]\npresent=1\nfail=create melt\n", "3: fail: 'melt' is none of"},
        {"[board0]\npresent=1\ncolour=blue\n", "3: colour: no such key"},
        {"[board0]\npresent=1\npresent=1\n", "3: present: given twice (first on line 2)"},
        {"[board16]\npresent=1\n", "1: [board16]: no such section"},
        {"present=1\n", "1: present: outside any section"},
        {"[board0]\npresent=1\n[wiring]\nin0.2=out0.0\n", "4: in0.2: no port 2"},
        {"[board0]\npresent=1\n[wiring]\nin0.0=out16.0\n", "4: in0.0: no slot 16"},
        {"[board0]\npresent=1\n[wiring]\nin0.0=out1.0\n", "4: wiring: no board at slot 1"},
        {"[board0]\npresent=1\n[wiring]\nin0.0=out0.0x\n", "4: in0.0: a wire is written"},
        {"[board0]\npresent=1\n[Board0]\n", "3: [Board0]: given twice (first on line 1)"},
        {"[board0]\npresent=1\nerror=08x\n", "3: error: '08x' is not a whole number from -2147483648 to 0xFFFFFFFF"},
        {"[board0]\npresent=1\naddress=\n", "3: address: no value"},
        {"[board0]\npresent=1\nswitch=256\n", "3: switch: '256' is not a whole number from 0 to 0xFF"},
        {"[board0]\npresent=1\n[board2]\npresent=1\naddress=0x300\n", "5: address: 0x300 is board0's too"},
        {"[board0]\npresent=1\n[board1]\npresent=1\n", "3: address: 0x300 (the default) is board0's too"},
        {"[trace]\ncsv=no such folder\\t.csv\n", "2: csv: the folder "},
        {std::string("\xFF\xFE[\0b\0", 6), " not a text file in the expected encoding (ASCII or UTF-8; this one is UTF-16)"},
        {std::string("[board0]\npresent=1\0\n", 19), " not a text file in the expected encoding (ASCII or UTF-8; this one holds NUL bytes)"},
    };
    const std::string ini = TempPath("tovel_sim_bad.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        driver_.TovelSimReset();
        driver_.TovelSimSetBoard(7, 1, 0x300, 16, 0);
        std::ofstream(ini) << c.lines;
        char problems[1024] = "";
        EXPECT_EQ(1u, driver_.TovelSimCheckIni(ini.c_str(), problems, sizeof problems));
        EXPECT_EQ(ini + ":" + c.problem, std::string(problems).substr(0, ini.size() + 1 + strlen(c.problem)));
        EXPECT_EQ(0, driver_.TovelSimLoadIni(ini.c_str()));
        TovelSimBoardInfo board;
        ASSERT_EQ(1, driver_.TovelSimGetBoardInfo(7, &board));
        EXPECT_EQ(1, board.present);
    }
    // A line too long for the reader is named, and the lines after it keep their numbers.
    std::ofstream(ini) << "[board0]\n; " << std::string(1100, 'x') << "\npresent=maybe\n";
    char problems[512] = "";
    EXPECT_EQ(2u, driver_.TovelSimCheckIni(ini.c_str(), problems, sizeof problems));
    EXPECT_EQ(ini + ":2: line: longer than 1022 characters\n" + ini + ":3: present: 'maybe' is not a whole number from 0 to 1\n",
              std::string(problems));
    // Problems found once the file is read (a wire's missing board) still come in the order of their lines.
    std::ofstream(ini) << "[wiring]\nin0.0=out1.0\n[board0]\npresent=maybe\n";
    char ordered[512] = "";
    EXPECT_EQ(2u, driver_.TovelSimCheckIni(ini.c_str(), ordered, sizeof ordered));
    EXPECT_THAT(std::string(ordered), testing::MatchesRegex(".*:2: wiring: no board at slot \\d .*\n.*:4: present: .*\n"));
    std::ofstream(ini) << "[BOARD3]\nPresent=1 ; comment\nfail=\nerror=-5\n";
    EXPECT_EQ(0u, driver_.TovelSimCheckIni(ini.c_str(), nullptr, 0));
    ASSERT_EQ(1, driver_.TovelSimLoadIni(ini.c_str()));
    TovelSimBoardInfo three;
    ASSERT_EQ(1, driver_.TovelSimGetBoardInfo(3, &three));
    EXPECT_EQ(-5, three.faultError);
    DeleteFileA(ini.c_str());
}
