// "Tovel OUT": each input channel c drives bit c of one output port. Every
// sample position of every channel's block is written to the port, one byte
// per write, channel 0's positions first.

#include "modules/tovel_out.h"

#include <string.h>

#include "board/board_table.h"
#include "host/binding.h"
#include "host/host_services.h"
#include "host/texts.h"
#include "modules/double_precision.h"
#include "modules/module_messages.h"
#include "modules/module_run.h"
#include "modules/process_call.h"

namespace {

const uint32_t kMinMilliSecondsPerChannel = 10;

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
// become since.
//
// The table is brought up to date before each host call that may come back:
// whatever the host runs inside the call finds each buffer either held by
// its module or already gone.
PreparedRun g_runs[kPreparedRuns];

// A host whose every free runs another preparation is followed this far.
const int kFreesInARow = 16;

// Hands back the buffer the module holds, if any; forgets any other pointer.
// A preparation that the host runs inside the free gets the module a new
// buffer; that goes back too: what began first and ends last has the last word.
void FreePortBuffer(ModuleRecord* module)
{
    for (int round = 0; round < kFreesInARow; ++round) {
        Data(module)->pPortBuffer = nullptr;
        PreparedRun* held = FindPreparedRun(g_runs, module);
        if (!held)
            return;
        uint8_t* bytes = held->portBuffer;
        *held = PreparedRun{};
        host::NewDoMemFree(bytes, Kind().tag, Kind().lines.portBufferFree);
    }
}

// The module holds `bytes` from now on. A buffer it got meanwhile, from a
// preparation the host ran inside one of this preparation's host calls, is
// replaced and handed back. False when the table is full.
bool HoldBuffer(ModuleRecord* module, uint8_t* bytes, uint32_t size)
{
    PreparedRun* entry = FindPreparedRun(g_runs, module);
    uint8_t* replaced = entry ? entry->portBuffer : nullptr;
    if (!entry)
        entry = FindPreparedRun(g_runs, nullptr);
    if (!entry)
        return false;
    *entry = PreparedRun{module, size, bytes};
    Data(module)->pPortBuffer = bytes;
    if (replaced)
        host::NewDoMemFree(replaced, Kind().tag, Kind().lines.portBufferFree);
    return true;
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
    if (!QuotientAtLeast(&fGlobalMilliSecondsPerSample, module->uiNumberOfInputs, kMinMilliSecondsPerChannel)) {
        host::ShowWarning(text::kTovelCaption, text::kSamplingTooFast);
        return 0;
    }
    FreePortBuffer(module);  // a second preparation without a run end loses nothing
    const uint32_t size = uiGlobalBlockSize;
    uint8_t* buffer = static_cast<uint8_t*>(host::NewMemAlloc(size, kind.tag, kind.lines.portBufferAllocate));
    if (buffer) {
        memset(buffer, 0, size);
        if (!HoldBuffer(module, buffer, size)) {
            host::NewDoMemFree(buffer, kind.tag, kind.lines.portBufferFree);
            buffer = nullptr;
        }
    }
    if (!buffer) {
        host::ShowWarning(text::kTovelCaption, text::kOutputBufferFailed);
        return 0;
    }
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
    {kMsgUndisclosed104, AnswerOne},
    {kMsgReattach, ReattachInstance},
    {kMsgPrepareRun, PrepareRun},
    {kMsgEndRun, EndRun},
    {kMsgUndisclosed201, AnswerOne},
};

// Sets the channel's bit in each of the block's positions and writes each
// byte to the port, position 0 first. Every bit is set before the first
// write, which changes no byte written: a position's byte carries only its
// own bits. False when a host call on a failed write interrupted the process
// call: the buffer may be gone, and nothing more is written.
bool WriteBlock(const ProcessCall& call, ModuleRecord* module, uint32_t channel, const DataBlock* block,
                const PreparedRun& run)
{
    OutInstanceData* data = Data(module);
    const uint16_t slot = data->head.wLogSlot;
    const uint16_t port = data->wPort;
    uint32_t n = block->wNumberOfSamples;
    if (n > uiGlobalBlockSize)
        n = uiGlobalBlockSize;
    if (n > run.blockSize)
        n = run.blockSize;
    uint8_t* const bytes = run.portBuffer;
    const uint8_t bit = static_cast<uint8_t>(channel < kPortBits ? 1u << channel : 0u);
    for (uint32_t j = 0; j < n; ++j)
        bytes[j] = SetsBit(block, j) ? bytes[j] | bit : bytes[j] & static_cast<uint8_t>(~bit);
    for (uint32_t j = 0; j < n; ++j) {
        j += BoardWriteEach(slot, port, bytes + j, n - j);
        if (j == n)
            break;
        ReportTransferFailure(text::kSendErrorCaption, slot, channel);  // then on with the next position
        if (call.Interrupted())
            return false;
    }
    return true;
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
    const ProcessCall call(module);
    if (!call.Entered())
        return 1;
    const PreparedRun* held = FindPreparedRun(g_runs, module);
    if (!held)
        return 1;  // no run preparation succeeded: nothing to write from
    // Good until the call is interrupted: only then can the buffer go.
    const PreparedRun run = *held;
    // A module has at most sixteen inputs, whatever count the host gives.
    for (uint32_t c = 0; c < module->uiNumberOfInputs && c < kMaxHostChannels; ++c) {
        DataBlock* block = host::GetInputBlock(module, c);
        if (!block)
            continue;
        const bool written = !call.Interrupted() && WriteBlock(call, module, c, block, run);
        host::NewReleaseInputBlock(module, c, Kind().tag, Kind().lines.blockRelease);
        if (!written || call.Interrupted())
            return 1;
    }
    return 1;
}
