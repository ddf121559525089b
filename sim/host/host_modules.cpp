// Module records and data blocks, laid out as the host lays them out and each
// placed against a guard page; the host's calls into each module; and the
// host's run going on inside a service call, for the behaviours that say so.

#include <string.h>

#include <map>

#include "sim/host/host_behaviour.h"
#include "sim/host/host_fpu.h"
#include "sim/host/host_services_impl.h"
#include "sim/host/host_state.h"

namespace sim {

namespace {

// The plug-in's functions for each module the host has: a module's handler
// and process function are called through the host, which gives the plug-in
// the x87 environment the behaviours chose and checks what comes back.
struct PluginFunctions {
    ModuleHandlerFn handler;
    ModuleProcessFn process;
};

std::map<ModuleRecord*, PluginFunctions>& Placed()
{
    static std::map<ModuleRecord*, PluginFunctions> placed;
    return placed;
}

std::function<void()> g_pumpHook;
bool g_pumping;
OutputBlockObserver g_outputObserver;

int32_t HOST_CALL CallHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    auto it = Placed().find(module);
    if (it == Placed().end()) {
        ReportProblem("a message " + std::to_string(code) + " to a module record the host never made");
        return 0;
    }
    const ModuleHandlerFn handler = it->second.handler;
    if (code == kMsgPrepareRun)
        State().preparedBlockSize[module] = HostBlockSize();
    // Creation and settings open the plug-in's dialogs.
    const bool dialogs = code == kMsgCreate || code == kMsgSettings;
    IntoPlugin call("its message handler", dialogs ? kControlAndUnmaskedFlags : kControlAndStatus, code);
    return handler(module, code, argument, pointer);
}

// The host's block size grows past the run's blocks for the call, by one
// sample and by 65536 in turn (the latter the same in 16 bits): the blocks it
// hands out keep the size the module's run was prepared with.
int32_t ProcessWithTheBlockSizeGrown(ModuleRecord* module, ModuleProcessFn process)
{
    HostState& s = State();
    const uint32_t setting = HostBlockSize();
    auto prepared = s.preparedBlockSize.find(module);
    const uint32_t blocks = prepared == s.preparedBlockSize.end() ? setting : prepared->second;
    const uint32_t growth = s.growths++ % 2 ? 65536 : 1;
    const uint32_t outer = s.runBlockCapacity;
    s.runBlockCapacity = blocks;
    SetBlockSize(blocks > UINT32_MAX - growth ? UINT32_MAX : blocks + growth);
    int32_t result;
    {
        IntoPlugin call("its process function", kControlAndStatus);
        result = process(module);
    }
    SetBlockSize(setting);
    s.runBlockCapacity = outer;
    return result;
}

int32_t HOST_CALL CallProcess(ModuleRecord* module)
{
    auto it = Placed().find(module);
    if (it == Placed().end()) {
        ReportProblem("a process call of a module record the host never made");
        return 0;
    }
    const ModuleProcessFn process = it->second.process;
    if (Behaving(kBlockSizeGrows))
        return ProcessWithTheBlockSizeGrown(module, process);
    IntoPlugin call("its process function", kControlAndStatus);
    return process(module);
}

std::vector<ModuleRecord*> PlacedRecords()
{
    std::vector<ModuleRecord*> records;
    for (const auto& entry : Placed())
        records.push_back(entry.first);
    return records;
}

DataBlock* NewBlock(uint32_t capacity)
{
    size_t size = sizeof(DataBlock) + capacity * sizeof(float);
    DataBlock* block = static_cast<DataBlock*>(GuardedAlloc(size));
    if (block)
        memset(block, 0xCD, size);
    return block;
}

}  // namespace

Module CreateModule(const ModuleClassDescriptor& cls, HWND owner)
{
    Module m = {};
    m.record = static_cast<ModuleRecord*>(GuardedAlloc(sizeof(ModuleRecord)));
    memset(m.record, 0, sizeof(ModuleRecord));
    m.record->hwndModule = owner;
    m.record->bActive = 1;
    m.instanceDataSize = cls.uiInstanceDataSize;
    m.instanceData = GuardedAlloc(cls.uiInstanceDataSize);
    memset(m.instanceData, 0, cls.uiInstanceDataSize);
    m.record->pInstanceData = m.instanceData;
    m.record->pExtraWord = static_cast<uint32_t*>(GuardedAlloc(sizeof(uint32_t)));
    *m.record->pExtraWord = 0xFFFFFFFFu;
    for (int c = 0; c < kMaxHostChannels; ++c) {
        m.record->pChannelRecord[c] = static_cast<ChannelRecord*>(GuardedAlloc(sizeof(ChannelRecord)));
        memset(m.record->pChannelRecord[c], 0, sizeof(ChannelRecord));
        m.record->pOutputChannel[c] = static_cast<OutputChannel*>(GuardedAlloc(sizeof(OutputChannel)));
        memset(m.record->pOutputChannel[c], 0, sizeof(OutputChannel));
    }
    Placed()[m.record] = PluginFunctions{cls.pfnMessageHandler, cls.pfnProcess};
    m.handler = CallHandler;
    m.process = CallProcess;
    return m;
}

void SetPumpHook(std::function<void()> hook)
{
    g_pumpHook = hook;
}

void PumpHostRun()
{
    if (g_pumping || !HostExperimentRunning())
        return;  // a loop already dispatching; or no run for the host's timer to drive
    g_pumping = true;
    if (g_pumpHook) {
        g_pumpHook();
    } else {
        for (ModuleRecord* record : PlacedRecords()) {
            if (Placed().count(record))
                CallProcess(record);
        }
    }
    g_pumping = false;
}

void MoveCurrentModule()
{
    const std::vector<ModuleRecord*> records = PlacedRecords();
    ModuleRecord* current = CurrentModulePtr();
    ModuleRecord* next = records.empty() ? nullptr : records[0];
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i] == current)
            next = records.size() > 1 ? records[(i + 1) % records.size()] : nullptr;
    }
    SetCurrentModulePtr(next);
}

void EndRunOfEveryModule()
{
    for (ModuleRecord* record : PlacedRecords()) {
        if (Placed().count(record))
            CallHandler(record, kMsgEndRun, 0, nullptr);
    }
}

void DestroyModule(Module& m)
{
    if (!m.record)
        return;
    Placed().erase(m.record);
    HostState& s = State();
    s.preparedBlockSize.erase(m.record);
    for (int c = 0; c < kMaxHostChannels; ++c) {
        auto in = s.inputs.find({m.record, static_cast<uint32_t>(c)});
        if (in != s.inputs.end()) {
            for (DataBlock* b : in->second.blocks)
                GuardedFree(b);
            s.inputs.erase(in);
        }
        auto out = s.outputs.find(m.record->pOutputChannel[c]);
        if (out != s.outputs.end()) {
            GuardedFree(out->second.block);
            s.outputs.erase(out);
        }
        GuardedFree(m.record->pChannelRecord[c]);
        GuardedFree(m.record->pOutputChannel[c]);
    }
    GuardedFree(m.record->pExtraWord);
    GuardedFree(m.instanceData);
    GuardedFree(m.record);
    m = Module();
}

// ---------------------------------------------------------------- input blocks

void QueueInputBlockBits(ModuleRecord* module, uint32_t input, const std::vector<uint32_t>& sampleBits)
{
    DataBlock* block = NewBlock(static_cast<uint32_t>(sampleBits.size()));
    block->dStartTime = 0.0;
    block->dSampleDistance = 0.0;
    block->wNumberOfSamples = static_cast<uint16_t>(sampleBits.size());
    if (!sampleBits.empty())
        memcpy(BlockSamples(block), sampleBits.data(), sampleBits.size() * sizeof(uint32_t));
    State().inputs[{module, input}].blocks.push_back(block);
}

void QueueInputBlock(ModuleRecord* module, uint32_t input, const std::vector<float>& samples)
{
    std::vector<uint32_t> bits(samples.size());
    if (!samples.empty())
        memcpy(bits.data(), samples.data(), samples.size() * sizeof(float));
    QueueInputBlockBits(module, input, bits);
}

void SetEndlessInputBlock(ModuleRecord* module, uint32_t input, const std::vector<float>& samples)
{
    QueueInputBlock(module, input, samples);
    State().inputs[{module, input}].endless = true;
}

size_t QueuedInputBlocks(ModuleRecord* module, uint32_t input)
{
    auto it = State().inputs.find({module, input});
    return it == State().inputs.end() ? 0 : it->second.blocks.size();
}

DataBlock* HOST_CALL HostGetInputBlock(ModuleRecord* module, uint32_t input)
{
    RecordCall("GetInputBlock");
    auto it = State().inputs.find({module, input});
    if (it == State().inputs.end() || it->second.blocks.empty())
        return nullptr;
    it->second.taken = true;
    return it->second.blocks.front();
}

void HOST_CALL HostNewReleaseInputBlock(ModuleRecord* module, uint32_t input, const char* tag, int32_t line)
{
    RecordCall("NewReleaseInputBlock");
    if (State().recordCalls)
        State().inputReleases.push_back(InputRelease{module, input, tag ? tag : "(null)", line});
    auto it = State().inputs.find({module, input});
    if (it == State().inputs.end() || !it->second.taken) {
        ReportProblem("NewReleaseInputBlock on input " + std::to_string(input) + " without a block taken");
        return;
    }
    ++it->second.released;
    if (it->second.endless) {
        it->second.taken = false;
        return;
    }
    GuardedFree(it->second.blocks.front());
    it->second.blocks.erase(it->second.blocks.begin());
    it->second.taken = false;
}

const std::vector<InputRelease>& InputReleases() { return State().inputReleases; }

uint64_t ReleasedInputBlocks(ModuleRecord* module, uint32_t input)
{
    auto it = State().inputs.find({module, input});
    return it == State().inputs.end() ? 0 : it->second.released;
}

void SetCaptureOutputBlocks(bool capture) { State().captureOutputBlocks = capture; }

// ---------------------------------------------------------------- output blocks

DataBlock* HOST_CALL HostGetCurrentOutputBlock(OutputChannel* channel)
{
    RecordCall("GetCurrentOutputBlock");
    HostState& s = State();
    if (!s.outputBlocksAvailable)
        return nullptr;
    OutputSlot& slot = s.outputs[channel];
    const uint32_t capacity = s.runBlockCapacity ? s.runBlockCapacity : HostBlockSize();
    if (slot.block && slot.capacity != capacity) {
        GuardedFree(slot.block);
        slot.block = nullptr;
    }
    if (!slot.block) {
        slot.block = NewBlock(capacity);
        slot.capacity = capacity;
    } else if (!slot.handedOut) {
        GuardedSeal(slot.block, false);
        memset(slot.block, 0xCD, sizeof(DataBlock) + capacity * sizeof(float));
    }
    slot.handedOut = true;
    return slot.block;
}

void HOST_CALL HostNewReleaseOutputBlock(OutputChannel* channel, const char* tag, int32_t line)
{
    RecordCall("NewReleaseOutputBlock");
    auto it = State().outputs.find(channel);
    if (it == State().outputs.end() || !it->second.handedOut) {
        ReportProblem("NewReleaseOutputBlock without a current block");
        return;
    }
    OutputSlot& slot = it->second;
    slot.handedOut = false;
    ++slot.released;
    slot.lastStartTime = slot.block->dStartTime;
    slot.lastSampleDistance = slot.block->dSampleDistance;
    struct SealAfter {
        DataBlock* block;
        ~SealAfter() { GuardedSeal(block, true); }  // the plug-in has no business with it now
    } seal{slot.block};
    if (g_outputObserver)
        g_outputObserver(channel, slot.block);
    if (!State().captureOutputBlocks)
        return;
    CapturedBlock c;
    c.startTime = slot.block->dStartTime;
    c.sampleDistance = slot.block->dSampleDistance;
    c.numberOfSamples = slot.block->wNumberOfSamples;
    uint32_t n = c.numberOfSamples < slot.capacity ? c.numberOfSamples : slot.capacity;
    c.samples.assign(BlockSamples(slot.block), BlockSamples(slot.block) + n);
    c.tag = tag ? tag : "(null)";
    c.line = line;
    slot.captured.push_back(c);
}

uint64_t ReleasedOutputBlocks(OutputChannel* channel)
{
    auto it = State().outputs.find(channel);
    return it == State().outputs.end() ? 0 : it->second.released;
}

double LastReleasedStartTime(OutputChannel* channel)
{
    auto it = State().outputs.find(channel);
    return it == State().outputs.end() ? 0 : it->second.lastStartTime;
}

double LastReleasedSampleDistance(OutputChannel* channel)
{
    auto it = State().outputs.find(channel);
    return it == State().outputs.end() ? 0 : it->second.lastSampleDistance;
}

const std::vector<CapturedBlock>& CapturedBlocks(OutputChannel* channel)
{
    return State().outputs[channel].captured;
}

void SetOutputBlocksAvailable(bool available) { State().outputBlocksAvailable = available; }
void SetOutputBlockObserver(OutputBlockObserver observer) { g_outputObserver = observer; }

void ReleaseAllBlocks()
{
    for (auto& entry : State().inputs) {
        for (DataBlock* b : entry.second.blocks)
            GuardedFree(b);
    }
    for (auto& entry : State().outputs)
        GuardedFree(entry.second.block);
}

}  // namespace sim
