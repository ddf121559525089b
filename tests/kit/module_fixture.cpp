#include "tests/kit/module_fixture.h"

#include "resources/resource_ids.h"

void ModuleTest::TearDown()
{
    for (sim::Module* m : modules_) {
        sim::DestroyModule(*m);
        delete m;
    }
    modules_.clear();
    PluginTest::TearDown();
}

const ModuleClassDescriptor& ModuleTest::Class(TestKind kind)
{
    const char* name = kind == kOut ? "Tovel OUT" : "Tovel IN";
    if (const ModuleClassDescriptor* d = sim::RegisteredClass(name))
        return *d;
    ADD_FAILURE() << "no class " << name << " registered";
    static ModuleClassDescriptor none = {};
    return none;
}

sim::Module& ModuleTest::NewModule(TestKind kind)
{
    modules_.push_back(new sim::Module(sim::CreateModule(Class(kind), sim::HostWindow())));
    return *modules_.back();
}

int32_t ModuleTest::Send(sim::Module& module, uint32_t code, int32_t argument, void* pointer)
{
    return module.handler(module.record, code, argument, pointer);
}

int32_t ModuleTest::Create(sim::Module& module, DialogScript& selection)
{
    ArmedScripts armed({&selection});
    return Send(module, kMsgCreate);
}

int32_t ModuleTest::CreateOn(sim::Module& module, int row, int portRow)
{
    DialogScript select;
    select.Then([=](HWND d) {
        ClickListRow(d, IDC_BOARD_LIST, row);
        SelectComboRow(d, IDC_PORT_LIST, portRow);
        Click(d, IDOK);
    });
    return Create(module, select);
}

void RunTest::SetUp()
{
    ModuleTest::SetUp();
    Driver().TovelSimSetBoard(kSlot, 1, 0x300, 16, 0x1);
    SetupKorvuOrFail();
    ASSERT_TRUE(sim::SetMilliSecondsPerSample(10.0));
    ASSERT_TRUE(sim::SetBlockSize(3));
    sim::SetExperimentRunning(true);
}

void RunTest::TearDown()
{
    for (sim::Module* m : modules_) {
        Send(*m, kMsgEndRun);
        Send(*m, kMsgRemove);
    }
    ModuleTest::TearDown();
}

sim::Module& RunTest::Bound(TestKind kind, uint16_t slot, uint16_t port, uint32_t channels)
{
    sim::Module& m = NewModule(kind);
    OutInstanceData* out = Out(m);
    InInstanceData* in = In(m);
    if (kind == kOut) {
        out->head.wLogSlot = slot;
        out->wPort = port;
        m.record->uiNumberOfInputs = channels;
    } else {
        in->head.wLogSlot = slot;
        in->wPort = port;
        m.record->uiNumberOfOutputs = channels;
    }
    EXPECT_EQ(1, Send(m, kMsgReattach)) << "re-attach to slot " << slot << " port " << port;
    return m;
}

std::vector<uint32_t> RunTest::Written()
{
    std::vector<uint32_t> bytes;
    for (const TovelSimTransfer& t : Driver().Trace()) {
        if (t.direction == 0)
            bytes.push_back(t.value);
    }
    return bytes;
}
