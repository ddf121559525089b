// "Tovel OUT": each input channel c drives bit c of one output port. Every
// sample position of every channel's block is written to the port, one byte
// per write, channel 0's positions first.

#include "modules/tovel_out.h"

#include <string.h>

#include "board/board_driver.h"
#include "frame/host/binding.h"
#include "frame/host/host_services.h"
#include "frame/host/texts.h"
#include "modules/double_precision.h"
#include "modules/module_messages.h"
#include "modules/module_run.h"

namespace {

const double kMinMilliSecondsPerChannel = 10.0;
const float kHighLevel = 5.0f;

const ModuleKind& Kind()
{
    return KindOf(kOutputModule);
}

OutInstanceData* Data(ModuleRecord* module)
{
    return static_cast<OutInstanceData*>(module->pInstanceData);
}

// The port buffers this plug-in allocated, each with the module that holds it
// and its size: a buffer is written and handed back only through the record
// of the module that allocated it, so a pointer stored in a worksheet, or one
// copied from another module, is never written to, freed or adopted, and a
// block is never written past its buffer, whatever the host's block size has
// become since. A module is known by its record, which the host keeps in
// place for the module's life. Sixteen slots with two output ports each:
// every module that can hold a port fits twice.
struct PortBuffer {
    const ModuleRecord* owner;
    uint8_t* bytes;
    uint32_t size;
};

PortBuffer g_portBuffers[64];

PortBuffer* HeldBuffer(const ModuleRecord* module)
{
    for (PortBuffer& entry : g_portBuffers) {
        if (entry.bytes && entry.owner == module)
            return &entry;
    }
    return nullptr;
}

bool HoldBuffer(const ModuleRecord* module, uint8_t* bytes, uint32_t size)
{
    for (PortBuffer& entry : g_portBuffers) {
        if (!entry.bytes) {
            entry = PortBuffer{module, bytes, size};
            return true;
        }
    }
    return false;
}

// Hands back the buffer the module holds, if any; forgets any other pointer.
void FreePortBuffer(ModuleRecord* module)
{
    if (PortBuffer* held = HeldBuffer(module)) {
        host::NewDoMemFree(held->bytes, Kind().tag, Kind().lines.portBufferFree);
        *held = PortBuffer{};
    }
    Data(module)->pPortBuffer = nullptr;
}

int32_t Create(const ModuleKind& kind, ModuleRecord* module, int32_t argument, void* pointer)
{
    if (!CreateInstance(kind, module, argument, pointer))
        return 0;
    FreePortBuffer(module);  // a new module holds no buffer, and its word says so
    return 1;
}

// A removed module's buffer would otherwise stay taken for good.
int32_t Remove(const ModuleKind& kind, ModuleRecord* module, int32_t argument, void* pointer)
{
    FreePortBuffer(module);
    return ReleaseReservation(kind, module, argument, pointer);
}

int32_t PrepareRun(const ModuleKind& kind, ModuleRecord* module, int32_t, void*)
{
    OutInstanceData* data = Data(module);
    const double perChannel = DoubleQuotient(fGlobalMilliSecondsPerSample, module->uiNumberOfInputs);
    if (!(perChannel >= kMinMilliSecondsPerChannel)) {  // a NaN fails too
        host::ShowWarning(text::kTovelCaption, text::kSamplingTooFast);
        return 0;
    }
    FreePortBuffer(module);  // a second preparation without a run end loses nothing
    uint32_t size = uiGlobalBlockSize;
    uint8_t* buffer = static_cast<uint8_t*>(host::NewMemAlloc(size, kind.tag, kind.lines.portBufferAllocate));
    if (buffer && !HoldBuffer(module, buffer, size)) {
        host::NewDoMemFree(buffer, kind.tag, kind.lines.portBufferFree);
        buffer = nullptr;
    }
    data->pPortBuffer = buffer;
    if (!buffer) {
        host::ShowWarning(text::kTovelCaption, text::kOutputBufferFailed);
        return 0;
    }
    memset(buffer, 0, size);
    ResetChannelRecords(module, module->uiNumberOfInputs);
    return 1;
}

int32_t EndRun(const ModuleKind&, ModuleRecord* module, int32_t, void*)
{
    FreePortBuffer(module);
    return 1;
}

const MessageEntry kMessages[] = {
    {kMsgCheck, AnswerOne},
    {kMsgCreate, Create},
    {kMsgRemove, Remove},
    {kMsgSettings, OpenSettings},
    {kMsgIdle104, AnswerOne},
    {kMsgReattach, ReattachInstance},
    {kMsgPrepareRun, PrepareRun},
    {kMsgEndRun, EndRun},
    {kMsgIdle201, AnswerOne},
};

void WriteBlock(ModuleRecord* module, uint32_t channel, const DataBlock* block, uint8_t* buffer, uint32_t size)
{
    OutInstanceData* data = Data(module);
    const uint16_t slot = data->wLogSlot;
    const uint16_t port = data->wPort;
    uint32_t n = block->wNumberOfSamples;
    if (n > uiGlobalBlockSize)
        n = uiGlobalBlockSize;
    if (n > size)
        n = size;
    const float* samples = BlockSamples(block);
    const uint8_t bit = static_cast<uint8_t>(channel < kPortBits ? 1u << channel : 0u);
    for (uint32_t j = 0; j < n; ++j) {
        if (samples[j] >= kHighLevel)  // false for a NaN: the bit clears
            buffer[j] |= bit;
        else
            buffer[j] &= static_cast<uint8_t>(~bit);
        if (BoardPortIO(slot, port, kPortWrite, &buffer[j]) == 0)
            ReportTransferFailure(text::kSendErrorCaption, slot, channel);
    }
}

}  // namespace

int32_t HOST_CALL TovelOutMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    return DispatchModuleMessage(Kind(), kMessages, module, code, argument, pointer);
}

int32_t HOST_CALL TovelOutProcess(ModuleRecord* module)
{
    if (bExperimentIsPaused == 1)
        return 1;
    const PortBuffer* held = HeldBuffer(module);
    if (!held)
        return 1;  // no run preparation succeeded: nothing to write from
    // A module has at most sixteen inputs, whatever count the host gives.
    for (uint32_t c = 0; c < module->uiNumberOfInputs && c < kMaxHostChannels; ++c) {
        DataBlock* block = host::GetInputBlock(module, c);
        if (!block)
            continue;
        WriteBlock(module, c, block, held->bytes, held->size);
        host::NewReleaseInputBlock(module, c, Kind().tag, Kind().lines.blockRelease);
    }
    return 1;
}
