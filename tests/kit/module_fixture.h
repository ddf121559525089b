// Modules of the real plug-in in the host simulator: records created from
// the class descriptors the plug-in registered, messages sent through the
// class's own handler.
#pragma once

#include <functional>
#include <vector>

#include "sim/user/dialog_script.h"
#include "tests/kit/plugin_fixture.h"

enum TestKind { kOut, kIn };

class ModuleTest : public PluginTest {
protected:
    void TearDown() override;

    // The descriptor the plug-in registered for the kind.
    const ModuleClassDescriptor& Class(TestKind kind);

    // A module record of the kind, owned by the host window; freed after the test.
    sim::Module& NewModule(TestKind kind);
    int32_t Send(sim::Module& module, uint32_t code, int32_t argument = 0, void* pointer = nullptr);

    // Code 101 with the hardware selection driven by the given steps.
    int32_t Create(sim::Module& module, DialogScript& selection);
    // Code 101 accepting board row `row` and port row `portRow`; the module's result.
    int32_t CreateOn(sim::Module& module, int row, int portRow = 0);

    static OutInstanceData* Out(sim::Module& m) { return static_cast<OutInstanceData*>(m.instanceData); }
    static InInstanceData* In(sim::Module& m) { return static_cast<InInstanceData*>(m.instanceData); }

    std::vector<sim::Module*> modules_;
};

// A module bound straight to a board (slot, port in its per-instance data,
// reserved by code 105), for the tests of a run: no dialog in the way.
class RunTest : public ModuleTest {
protected:
    void SetUp() override;
    void TearDown() override;  // ends the run and removes the modules, as the host does

    sim::Module& Bound(TestKind kind, uint16_t slot, uint16_t port, uint32_t channels);
    int32_t Process(sim::Module& m) { return m.process(m.record); }

    // The bytes written to the board, in order, from the simulated driver's trace.
    std::vector<uint32_t> Written();

    static const uint16_t kSlot = 1;
};
