// The trace driver where things go wrong: no maker's driver, one without an
// entry point, one that leads back into a trace driver, a trace file that
// cannot be written or reaches its limit, a ring that fills, settings in any
// encoding, the largest ring the settings allow. The calls must go on,
// answered as the maker's driver answers them (or as a driver with no
// board), the host keeps its address space, and the file must say why.

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/tovel_api.h"
#include "guest/guest_ring.h"
#include "host/proc_address.h"
#include "sim/common/paths.h"
#include "sim/driver/sim_driver.h"
#include "sim/common/utf8.h"
#include "sim/host/sim_host.h"
#include "tracer/trace_live.h"

using testing::HasSubstr;
using testing::Not;

namespace {

// trace_probe beside this program, with its arguments; null when it did not start.
HANDLE StartProbe(const std::wstring& arguments)
{
    std::wstring line = L"\"" + Widen(PathBesideProgram("trace_probe.exe")) + L"\" " + arguments;
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD ExitCodeOf(HANDLE process)
{
    DWORD code = 99;
    if (WaitForSingleObject(process, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

uint64_t LargestFreeRegion()
{
    uint64_t largest = 0;
    MEMORY_BASIC_INFORMATION m;
    for (uintptr_t at = 0x10000; VirtualQuery(reinterpret_cast<void*>(at), &m, sizeof m) == sizeof m;
         at = reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize) {
        if (m.State == MEM_FREE && m.RegionSize > largest)
            largest = m.RegionSize;
        if (reinterpret_cast<uintptr_t>(m.BaseAddress) + m.RegionSize < at)
            break;
    }
    return largest;
}

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
        std::filesystem::copy_file(Widen(PathBesideProgram("trace-driver\\tovel.dll")), folder_ / "tovel.dll");
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
    void TearDown() override
    {
        Unload();
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

    // A trace driver of its own in `name` under the test's folder, with
    // tovel_trace.ini holding `ini` exactly as given (bytes).
    std::filesystem::path TraceFolder(const char* name, const std::string& ini)
    {
        const std::filesystem::path at = folder_ / name;
        std::filesystem::create_directories(at);
        std::filesystem::copy_file(Widen(PathBesideProgram("trace-driver\\tovel.dll")), at / "tovel.dll");
        std::ofstream(at / "tovel_trace.ini", std::ios::binary) << ini;
        return at;
    }
    static std::string Read(const std::filesystem::path& file)
    {
        std::stringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        return text.str();
    }

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

// Two trace drivers that name each other as the maker's, and one whose
// maker is a trace driver in front of the real one: the first call neither
// runs round nor reaches a board, and both files say why.
TEST_F(TraceDriverTest, AChainOfTraceDriversIsRefusedAsADriverWithNoBoard)
{
    const struct {
        const char* name;
        const char* behind;  // the second trace driver's maker
    } cases[] = {{"cycle", "..\\first\\tovel.dll"}, {"chain", "tovel_maker.dll"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Install("full", "");
        Unload();
        const std::filesystem::path first =
            TraceFolder("first", "[driver]\npath=..\\second\\tovel.dll\n[trace]\nfile=trace.csv\n");
        const std::filesystem::path second =
            TraceFolder("second", std::string("[driver]\npath=") + c.behind + "\n[trace]\nfile=trace.csv\n");
        std::filesystem::copy_file(folder_ / "tovel_maker.dll", second / "tovel_maker.dll");
        tracer_ = LoadLibraryW((first / "tovel.dll").c_str());
        ASSERT_NE(nullptr, tracer_);
        create_ = ProcAddress<TovelCreateFn>(tracer_, "TovelCreate");
        EXPECT_EQ(0, Create(0)) << "no board, and the stack still there";
        EXPECT_EQ(0, Create(0)) << "the maker's driver is not called again";
        Unload();
        EXPECT_THAT(Read(first / "trace.csv"), HasSubstr("the maker's driver leads back into the trace driver"));
        EXPECT_THAT(Read(second / "trace.csv"), HasSubstr("a chain of trace drivers is not followed"));
        std::filesystem::remove_all(folder_);
    }
}

// The ring's address space is reserved once, and no more of it than a
// 32-bit host can spare, whatever the settings ask.
TEST_F(TraceDriverTest, TheLargestRingLeavesTheHostItsAddressSpace)
{
    const uint64_t kMostTaken = 66u << 20;  // the ring's 64 MB, the file's buffer and the rest
    Install("full", "ring=4294967295\nflush_ms=3600000\n");
    const uint64_t before = LargestFreeRegion();
    ASSERT_EQ(1, Create(0));
    for (uint32_t i = 0; i < 10000; ++i)
        ASSERT_EQ(1, out_(0, 0, i & 0xFF));
    const uint64_t after = LargestFreeRegion();
    EXPECT_LE(before - std::min(before, after), kMostTaken)
        << "largest free region " << (before >> 20) << " MB before, " << (after >> 20) << " MB after";
    EXPECT_THAT(UnloadAndRead(), HasSubstr("\n10001,"));
}

// The settings file as a person may have saved it: the maker's driver in a
// folder whose name is not ASCII, found whichever way the text is encoded.
TEST_F(TraceDriverTest, SettingsAreReadInEveryEncodingPeopleSaveThemIn)
{
    const std::string folder = "\xE3\x83\xA1\xE3\x83\xBC\xE3\x82\xAB\xE3\x83\xBC";  // "メーカー" in UTF-8
    // The last: UTF-8 behind 40 KB of comments, past half of the most a settings file may hold.
    const char* const kLong = "UTF-8, long";
    for (const char* encoding :
         {"UTF-8", "UTF-8 with a byte-order mark", "UTF-16 with a byte-order mark", "the ANSI code page", kLong}) {
        SCOPED_TRACE(encoding);
        Install("full", "");
        Unload();
        const std::filesystem::path maker = folder_ / std::filesystem::path(Widen(folder));
        std::filesystem::create_directories(maker);
        std::filesystem::rename(folder_ / "tovel_maker.dll", maker / "tovel_maker.dll");
        const std::wstring ini =
            Widen("[driver]\r\npath=" + folder + "\\tovel_maker.dll\r\n[trace]\r\nfile=" + Narrow(csv_.wstring()) + "\r\n");
        std::string bytes;
        if (encoding == std::string("UTF-16 with a byte-order mark")) {
            bytes = std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(ini.c_str()), ini.size() * 2);
        } else if (encoding == std::string("the ANSI code page")) {
            char ansi[512];
            const int n = WideCharToMultiByte(CP_ACP, 0, ini.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
            ASSERT_GT(n, 1) << "this system's code page holds the folder's name";
            bytes.assign(ansi, n - 1);
        } else if (encoding == kLong) {
            for (int line = 0; line < 200; ++line)
                bytes += "; " + std::string(198, 'x') + "\r\n";
            bytes += Narrow(ini);
        } else {
            bytes = (encoding == std::string("UTF-8") ? "" : "\xEF\xBB\xBF") + Narrow(ini);
        }
        std::ofstream(folder_ / "tovel_trace.ini", std::ios::binary) << bytes;
        ASSERT_TRUE(maker_.LoadFile(Narrow((maker / "tovel_maker.dll").wstring())));
        maker_.TovelSimSetBoard(0, 1, 0x300, 16, 0x5);
        tracer_ = LoadLibraryW((folder_ / "tovel.dll").c_str());
        create_ = ProcAddress<TovelCreateFn>(tracer_, "TovelCreate");
        EXPECT_EQ(1, Create(0)) << "the maker's driver was found";
        EXPECT_THAT(UnloadAndRead(), HasSubstr(std::string("read as ") + (encoding == kLong ? "UTF-8" : encoding)));
    }
}

TEST_F(TraceDriverTest, AskedToLoseNothingACallWaitsForRoomInsteadOfBeingDropped)
{
    Install("full", "ring=16\nflush_ms=3600000\nfull=wait\n");
    ASSERT_EQ(1, Create(0));
    for (uint32_t i = 0; i < 100; ++i)
        ASSERT_EQ(1, out_(0, 0, i));
    const std::string csv = UnloadAndRead();
    EXPECT_THAT(csv, HasSubstr("\n101,"));
    EXPECT_THAT(csv, HasSubstr(",TovelOutPort,0,0,out,0x63,1,\r\n"));
    EXPECT_THAT(csv, Not(HasSubstr("# dropped")));
}

// Hosts whose first calls come at one moment: one of them publishes its
// ports in the live section, never two.
// A ring asked to lose nothing whose memory the system refuses drops the
// record: no turn of the writer can make room there, and waiting would hold
// the host's thread for good.
TEST(GuestRingTest, MemoryRefusedDropsEvenARingAskedToLoseNothing)
{
    GuestRing ring;
    ASSERT_TRUE(MakeRing(ring, 16, 16));
    VirtualFree(ring.records, 0, MEM_RELEASE);  // no commit can succeed now
    const uint32_t record[4] = {};
    EXPECT_EQ(1u, Append(ring, record, false)) << "counted dropped, with its number";
    EXPECT_EQ(1u, ring.dropped);
    EXPECT_EQ(0u, ring.count);
    ring.records = nullptr;  // given back above
}

TEST_F(TraceDriverTest, OfHostsStartingTogetherOnlyOnePublishes)
{
    const int kHosts = 4;
    Install("full", "");
    Unload();
    std::filesystem::path folders[kHosts];
    for (int h = 0; h < kHosts; ++h) {
        folders[h] = TraceFolder(("host" + std::to_string(h)).c_str(), "[trace]\nfile=trace.csv\n");
        std::filesystem::copy_file(folder_ / "tovel_maker.dll", folders[h] / "tovel_maker.dll");
    }
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        HANDLE start = CreateEventW(nullptr, TRUE, FALSE, L"KorvuProbeStart");
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, L"KorvuProbeDone");
        HANDLE written = CreateSemaphoreW(nullptr, 0, kHosts, L"KorvuProbeWritten");
        HANDLE hosts[kHosts];
        for (int h = 0; h < kHosts; ++h) {
            hosts[h] = StartProbe(L"claim \"" + folders[h].wstring() + L"\" " + std::to_wstring(h));
            ASSERT_TRUE(hosts[h]);
        }
        Sleep(1000);  // all loaded and waiting, as far as a start can be told
        SetEvent(start);
        bool allWrote = true;
        for (int h = 0; h < kHosts; ++h)
            allWrote = WaitForSingleObject(written, 120000) == WAIT_OBJECT_0 && allWrote;
        int publishing = 0;
        HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Local\\TovelTraceLive");
        if (mapping) {
            const auto* live = static_cast<const TraceLiveSection*>(
                MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(TraceLiveSection)));
            for (int h = 0; live && h < kHosts; ++h)
                publishing += live->slots[h].output[0].sequence != 0;
            if (live)
                UnmapViewOfFile(live);
            CloseHandle(mapping);
        }
        SetEvent(done);
        for (HANDLE host : hosts)
            EXPECT_EQ(0u, ExitCodeOf(host));
        EXPECT_TRUE(allWrote);
        EXPECT_EQ(1, publishing) << "hosts whose writes reached the live section";
        for (HANDLE h : {start, done, written})
            CloseHandle(h);
    }
}

// A host that ends with the trace driver loaded, between two turns of its
// writer: the calls still in the ring reach the file, which ends saying so.
TEST_F(TraceDriverTest, AHostThatEndsWithTheTraceDriverLoadedLeavesItsFileComplete)
{
    Install("full", "flush_ms=3600000\n");
    Unload();
    ASSERT_EQ(0u, ExitCodeOf(StartProbe(L"end \"" + folder_.wstring() + L"\" 500")));
    const std::string csv = Read(csv_);
    EXPECT_THAT(csv, HasSubstr("\n501,"));
    const std::string last = "# recording stopped: the process ended, every one of its calls written above\r\n";
    ASSERT_GE(csv.size(), last.size());
    EXPECT_EQ(last, csv.substr(csv.size() - last.size()));
}

}  // namespace
