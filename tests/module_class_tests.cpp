// The two module classes as the host sees them: their descriptors, a new
// instance (code 101), and the fallback to the host's default action.

#include <gmock/gmock.h>

#include <string.h>

#include "resources/resource_ids.h"
#include "tests/kit/module_fixture.h"

using testing::ElementsAre;

namespace {

bool InsideImage(HMODULE dll, const void* address)
{
    const uint8_t* base = reinterpret_cast<const uint8_t*>(dll);
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const uint8_t* p = static_cast<const uint8_t*>(address);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

int ResourceBitDepth(HMODULE dll, const char* name)
{
    HRSRC found = FindResourceA(dll, name, reinterpret_cast<LPCSTR>(RT_BITMAP));
    if (!found)
        return 0;
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(dll, found)));
    return header ? header->biBitCount : 0;
}

struct ExpectedClass {
    const char* name;
    uint32_t instanceSize, undisclosedSize, command;
    const char* shortName;
    const char* longName;
    const char* smallBitmap;
    const char* largeBitmap;
};

const ExpectedClass kExpected[] = {
    {"Tovel IN", 368, 520, 2951, "Tovel IN ", "Tovel InPort", "ICO_TOVEL_IN", "BM_PCI_IN"},
    {"Tovel OUT", 236, 0, 2950, "Tovel OUT", "Tovel OutPort", "ICO_TOVEL_OUT", "BM_PCI_OUT"},
};

}  // namespace

class ModuleClassTest : public ModuleTest {};

TEST_F(ModuleClassTest, DescriptorsAreRegisteredInputFirstWithEveryFieldInPlace)
{
    SetupKorvuOrFail();
    const std::vector<ModuleClassDescriptor>& classes = sim::RegisteredClasses();
    ASSERT_EQ(std::size(kExpected), classes.size());
    for (size_t i = 0; i < classes.size(); ++i) {
        const ModuleClassDescriptor& d = classes[i];
        const ExpectedClass& e = kExpected[i];
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&d);
        SCOPED_TRACE(e.name);
        EXPECT_EQ(reinterpret_cast<HINSTANCE>(Dll()), d.hInstance);
        EXPECT_STREQ(e.name, d.pszClassName);
        EXPECT_EQ(e.instanceSize, d.uiInstanceDataSize);
        EXPECT_EQ(e.undisclosedSize, d.uiUndisclosedSize);
        EXPECT_EQ(12u, d.uiUndisclosedWord) << "the value the host's contract fixes";
        EXPECT_EQ(e.command, d.uiCommandId);
        EXPECT_STREQ(e.shortName, d.pszShortName);
        EXPECT_STREQ(e.longName, d.pszLongName);
        EXPECT_TRUE(InsideImage(Dll(), d.pszShortName) && InsideImage(Dll(), d.pszLongName))
            << "the name buffers live as long as the plug-in";
        EXPECT_THAT(std::vector<uint8_t>(bytes + 32, bytes + 44), testing::Each(0));
        SIZE small = BitmapSize(d.hSmallBitmap), large = BitmapSize(d.hLargeBitmap);
        EXPECT_EQ(26, small.cx);
        EXPECT_EQ(24, small.cy);
        EXPECT_EQ(64, large.cx);
        EXPECT_EQ(46, large.cy);
        EXPECT_EQ(4, ResourceBitDepth(Dll(), e.smallBitmap));
        EXPECT_EQ(4, ResourceBitDepth(Dll(), e.largeBitmap));
        EXPECT_TRUE(InsideImage(Dll(), reinterpret_cast<const void*>(d.pfnMessageHandler)));
        EXPECT_TRUE(InsideImage(Dll(), reinterpret_cast<const void*>(d.pfnProcess)));
        EXPECT_THAT(std::vector<uint8_t>(bytes + 60, bytes + 180), testing::Each(0));
    }
    for (size_t i = 1; i < classes.size(); ++i) {
        EXPECT_NE(classes[i - 1].pfnMessageHandler, classes[i].pfnMessageHandler);
        EXPECT_NE(classes[i - 1].pfnProcess, classes[i].pfnProcess);
    }
}

// ------------------------------------------------------------------ code 101

class CreateTest : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        Driver().TovelSimSetBoard(2, 1, 0x300, 16, 0x2);
        Driver().TovelSimSetBoard(5, 1, 0xE800, 32, 0x5);
        SetupKorvuOrFail();
    }
};

TEST_F(CreateTest, OutputModuleTakesItsPortAndTheDefaults)
{
    sim::Module& m = NewModule(kOut);
    for (int c = 0; c < 8; ++c)
        m.record->pChannelRecord[c]->iAnimationPhase = 7;
    Out(m)->pPortBuffer = reinterpret_cast<uint8_t*>(0xDEADBEEF);  // whatever the host's memory held

    ASSERT_EQ(1, CreateOn(m, 1, 1));
    EXPECT_EQ(nullptr, Out(m)->pPortBuffer) << "no run has allocated one";

    EXPECT_EQ(5, Out(m)->head.wLogSlot);
    EXPECT_EQ(1, Out(m)->wPort);
    EXPECT_EQ(1u, m.record->uiNumberOfInputs);
    EXPECT_EQ(0u, m.record->uiNumberOfOutputs);
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ("Tovel OUT " + std::to_string(c), Out(m)->head.szChannelName[c]);
        EXPECT_EQ(1u, Out(m)->uiChannelWord[c]);
        EXPECT_EQ(0, m.record->pChannelRecord[c]->iAnimationPhase);
    }

    // The port is taken: a second output module finds only port 0 of slot 5.
    sim::Module& second = NewModule(kOut);
    std::vector<std::wstring> ports;
    DialogScript look;
    look.Then([&](HWND d) {
        ClickListRow(d, IDC_BOARD_LIST, 1);
        ports = ComboRows(d, IDC_PORT_LIST);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, Create(second, look));
    EXPECT_THAT(ports, ElementsAre(L"出力ﾎﾟｰﾄ 0 ( 0 - 7 )"));
}

TEST_F(CreateTest, InputModuleNamesItsChannelsWithTwoBlanks)
{
    sim::Module& m = NewModule(kIn);
    ASSERT_EQ(1, CreateOn(m, 0, 0));

    EXPECT_EQ(2, In(m)->head.wLogSlot);
    EXPECT_EQ(0, In(m)->wPort);
    EXPECT_EQ(0u, m.record->uiNumberOfInputs);
    EXPECT_EQ(1u, m.record->uiNumberOfOutputs);
    EXPECT_STREQ("Tovel IN  0", In(m)->head.szChannelName[0]);
    EXPECT_STREQ("Tovel IN  7", In(m)->head.szChannelName[7]);
}

// Counts the host gave the module before code 101 stay, on either connector.
TEST_F(CreateTest, ModuleThatAlreadyHasChannelsKeepsItsCounts)
{
    const struct {
        TestKind kind;
        uint32_t inputs, outputs;
        const char* name4;
    } cases[] = {
        {kOut, 3, 0, "Tovel OUT 4"}, {kOut, 0, 2, "Tovel OUT 4"}, {kIn, 0, 3, "Tovel IN  4"}, {kIn, 5, 0, "Tovel IN  4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << ": " << c.inputs << " in, " << c.outputs << " out");
        sim::Module& m = NewModule(c.kind);
        m.record->uiNumberOfInputs = c.inputs;
        m.record->uiNumberOfOutputs = c.outputs;
        strcpy(Out(m)->head.szChannelName[4], "kept?");
        ASSERT_EQ(1, CreateOn(m, 0));
        EXPECT_EQ(c.inputs, m.record->uiNumberOfInputs);
        EXPECT_EQ(c.outputs, m.record->uiNumberOfOutputs);
        EXPECT_STREQ(c.name4, Out(m)->head.szChannelName[4]) << "all eight names are written anew";
        Send(m, kMsgRemove);
    }
}

TEST_F(CreateTest, CancelChangesNothingAndReservesNothing)
{
    for (auto cancel : {std::function<void(HWND)>([](HWND d) { Click(d, IDCANCEL); }),
                        std::function<void(HWND)>([](HWND d) { PressKey(d, VK_ESCAPE); }),
                        std::function<void(HWND)>([](HWND d) { PressCloseBox(d); })}) {
        sim::Module& m = NewModule(kOut);
        memset(m.instanceData, 0x5A, m.instanceDataSize);
        std::vector<uint8_t> before(static_cast<uint8_t*>(m.instanceData),
                                    static_cast<uint8_t*>(m.instanceData) + m.instanceDataSize);
        DialogScript script;
        script.Then([&](HWND d) { ClickListRow(d, IDC_BOARD_LIST, 1); }).Then(cancel);
        EXPECT_EQ(0, Create(m, script));
        EXPECT_TRUE(script.Completed());
        EXPECT_EQ(before, std::vector<uint8_t>(static_cast<uint8_t*>(m.instanceData),
                                               static_cast<uint8_t*>(m.instanceData) + m.instanceDataSize));
        EXPECT_EQ(0u, m.record->uiNumberOfInputs);
    }
    // Nothing was reserved: both ports of both boards are still offered.
    sim::Module& probe = NewModule(kOut);
    std::vector<std::wstring> ports2, ports5;
    DialogScript look;
    look.Then([&](HWND d) {
        ports2 = ComboRows(d, IDC_PORT_LIST);
        ClickListRow(d, IDC_BOARD_LIST, 1);
        ports5 = ComboRows(d, IDC_PORT_LIST);
        Click(d, IDCANCEL);
    });
    Create(probe, look);
    EXPECT_EQ(2u, ports2.size());
    EXPECT_EQ(2u, ports5.size());
}

TEST_F(CreateTest, FixedAnswersAndEverythingElseGoesToTheHost)
{
    sim::Module& out = NewModule(kOut);
    sim::Module& in = NewModule(kIn);
    for (uint32_t code : {1u, 104u, 201u}) {
        EXPECT_EQ(1, Send(out, code)) << code;
        EXPECT_EQ(1, Send(in, code)) << code;
    }
    EXPECT_TRUE(sim::DefaultActions().empty());

    sim::SetDefaultActionResult(77);
    int marker;
    for (uint32_t code : {0u, 2u, 100u, 108u, 117u, 200u, 202u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(code);
        size_t before = sim::DefaultActions().size();
        EXPECT_EQ(77, Send(out, code, -5, &marker));
        ASSERT_EQ(before + 1, sim::DefaultActions().size());
        const sim::DefaultAction& a = sim::DefaultActions().back();
        EXPECT_EQ(out.record, a.module);
        EXPECT_EQ(code, a.code);
        EXPECT_EQ(-5, a.argument);
        EXPECT_EQ(&marker, a.pointer);
    }
}
