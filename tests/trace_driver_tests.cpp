// The trace driver where things go wrong: no maker's driver, one without an
// entry point, a trace file that cannot be written or reaches its limit, a
// ring that fills. The calls must go on, answered as the maker's driver
// answers them (or as a driver with no board), and the file must say why.

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/tovel_api.h"
#include "host/proc_address.h"
#include "sim/driver/sim_driver.h"
#include "sim/host/sim_host.h"

using testing::HasSubstr;
using testing::Not;

namespace {

// A folder as a field engineer leaves it: the trace driver as tovel.dll, the
// maker's driver (a simulated one here) as tovel_maker.dll, tovel_trace.ini.
class TraceDriverTest : public testing::Test {
protected:
    void Install(const char* makerVariant, const std::string& traceKeys)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / "korvu_trace_driver_tests";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::copy_file(Widen(sim::PluginPathBesideExe("trace-driver\\tovel.dll")), folder_ / "tovel.dll");
        if (makerVariant)
            std::filesystem::copy_file(Widen(DriverFolder(makerVariant) + "\\tovel.dll"), folder_ / "tovel_maker.dll");
        csv_ = folder_ / "trace.csv";
        const bool ownFile = traceKeys.find("file=") != std::string::npos;
        std::ofstream(folder_ / "tovel_trace.ini")
            << "[trace]\n" << (ownFile ? "" : "file=" + Narrow(csv_.wstring()) + "\n") << traceKeys;
        if (makerVariant) {  // held by the test too, for its controls
            ASSERT_TRUE(maker_.LoadFile(Narrow((folder_ / "tovel_maker.dll").wstring())));
            maker_.TovelSimSetBoard(0, 1, 0x300, 16, 0x5);
        }
        tracer_ = LoadLibraryW((folder_ / "tovel.dll").c_str());
        ASSERT_NE(nullptr, tracer_);
        create_ = ProcAddress<TovelCreateFn>(tracer_, "TovelCreate");
        out_ = ProcAddress<TovelOutPortFn>(tracer_, "TovelOutPort");
        in_ = ProcAddress<TovelInPortFn>(tracer_, "TovelInPort");
        ASSERT_TRUE(create_ && out_ && in_);
    }
    void TearDown() override { Unload(); }

    // The trace driver unloaded, which writes its file out; the file's text.
    std::string UnloadAndRead()
    {
        Unload();
        std::stringstream text;
        text << std::ifstream(csv_, std::ios::binary).rdbuf();
        return text.str();
    }
    void Unload()
    {
        if (tracer_)
            FreeLibrary(tracer_);
        tracer_ = nullptr;
        maker_.Unload();
    }
    int32_t Create(uint32_t slot) { return create_(&slot); }

    std::filesystem::path folder_, csv_;
    SimDriver maker_;
    HMODULE tracer_ = nullptr;
    TovelCreateFn create_ = nullptr;
    TovelOutPortFn out_ = nullptr;
    TovelInPortFn in_ = nullptr;
};

TEST_F(TraceDriverTest, WithoutAWholeMakersDriverItIsADriverWithNoBoard)
{
    const struct {
        const char* maker;
        const char* keys;
        const char* why;
    } cases[] = {
        {nullptr, "", "tovel_maker.dll could not be loaded (error 126)"},
        {"without_TovelInPort", "", "tovel_maker.dll has no entry point TovelInPort"},
        {nullptr, "[driver]\npath=tovel.dll\n", "tovel.dll is this trace driver itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maker ? c.maker : c.keys);
        Install(c.maker, c.keys);
        for (uint32_t slot = 0; slot < 16; ++slot)
            EXPECT_EQ(0, Create(slot)) << "slot " << slot;
        EXPECT_EQ(0, out_(0, 0, 0x55));
        const std::string csv = UnloadAndRead();
        EXPECT_THAT(csv, HasSubstr(c.why));
        EXPECT_THAT(csv, HasSubstr("every call gives 0"));
        EXPECT_THAT(csv, HasSubstr("\n16,"));  // each call recorded all the same
        EXPECT_THAT(csv, HasSubstr(",TovelOutPort,0,0,out,0x55,0,\r\n"));
    }
}

TEST_F(TraceDriverTest, ATraceFileThatCannotBeWrittenStopsTheRecordingNotTheCalls)
{
    const struct {
        const char* keys;
        const char* last;  // the file's last line, or null for no file
    } cases[] = {
        {"file=Z:\\no\\such\\folder\\trace.csv\n", nullptr},
        {"limit_kb=1\n", "# recording stopped: the file reached its limit of 1 KB (limit_kb in tovel_trace.ini)\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Install("full", c.keys);
        ASSERT_EQ(1, Create(0));
        for (uint32_t i = 0; i < 200; ++i)
            ASSERT_EQ(1, out_(0, 0, i & 0xFF));
        uint8_t read = 0;
        EXPECT_EQ(1, in_(0, 0, &read));
        EXPECT_EQ(201u, maker_.TovelSimTraceLength()) << "every transfer reached the maker's driver";
        EXPECT_EQ(199u, maker_.TovelSimGetOutput(0, 0));
        const std::string csv = UnloadAndRead();
        if (!c.last)
            continue;  // nothing could be written: that the calls went on is the point
        EXPECT_LE(csv.size(), 1024u);
        ASSERT_GE(csv.size(), strlen(c.last));
        EXPECT_EQ(c.last, csv.substr(csv.size() - strlen(c.last)));
    }
}

TEST_F(TraceDriverTest, AFullRingSaysHowManyCallsWereDroppedAndWhere)
{
    // The writer's first turn is an hour away: what does not fit is dropped.
    Install("full", "ring=16\nflush_ms=3600000\n");
    ASSERT_EQ(1, Create(0));
    for (uint32_t i = 0; i < 100; ++i)
        ASSERT_EQ(1, out_(0, 0, i));
    EXPECT_EQ(100u, maker_.TovelSimTraceLength());
    const std::string csv = UnloadAndRead();
    EXPECT_THAT(csv, HasSubstr("\n16,"));
    EXPECT_THAT(csv, Not(HasSubstr("\n17,")));
    EXPECT_THAT(csv, HasSubstr("# dropped 85 calls, sequence 17 to 101: the ring was full"));
}

TEST_F(TraceDriverTest, PassesEveryCallToAMakersDriverOfEitherConvention)
{
    for (const char* maker : {"full", "cdecl"}) {
        SCOPED_TRACE(maker);
        Install(maker, "");
        maker_.TovelSimSetInput(0, 1, 0xA5);
        maker_.TovelSimInjectFault(0, kTovelSimFailOutPort, 3, 0, 42);
        ASSERT_EQ(1, Create(0));
        EXPECT_EQ(0, Create(1)) << "no board at slot 1";
        uint8_t read = 0;
        for (int i = 0; i < 1000; ++i) {  // a stack that drifted would not last
            ASSERT_EQ(1, in_(0, 1, &read));
            ASSERT_EQ(0xA5, read);
        }
        EXPECT_EQ(1, out_(0, 0, 0x11));
        EXPECT_EQ(1, out_(0, 0, 0x22));
        EXPECT_EQ(0, out_(0, 0, 0x33)) << "the third write fails";
        EXPECT_EQ(42, ProcAddress<TovelGetLastErrorFn>(tracer_, "TovelGetLastError")(0));
        const std::string csv = UnloadAndRead();
        EXPECT_THAT(csv, HasSubstr(",TovelInPort,0,1,in,0xA5,1,\r\n"));
        EXPECT_THAT(csv, HasSubstr(",TovelOutPort,0,0,out,0x33,0,\r\n"));
        EXPECT_THAT(csv, HasSubstr(",TovelGetLastError,0,,,,42,42\r\n"));
    }
}

}  // namespace
