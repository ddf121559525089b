// "Tovel IN": output channel c carries bit c of one input port, 5.0 when set
// and 0.0 when clear. A channel's block is read from the port all at once and
// handed on no earlier than the tick count at which the block's span ends.

#include "modules/tovel_in.h"

#include <string.h>

#include "board/board_table.h"
#include "host/binding.h"
#include "host/host_services.h"
#include "host/instance.h"
#include "host/texts.h"
#include "modules/double_precision.h"
#include "modules/module_messages.h"
#include "modules/module_run.h"
#include "modules/process_call.h"
#include "resources/resource_ids.h"

namespace {

const ModuleKind& Kind()
{
    return KindOf(kInputModule);
}

InInstanceData* Data(ModuleRecord* module)
{
    return static_cast<InInstanceData*>(module->pInstanceData);
}

// Each module's block size from its run preparation on: the host hands out
// that run's blocks at that size, so no block gets more samples, whatever
// uiGlobalBlockSize becomes. A module with no entry (never prepared, or
// prepared while every entry was taken) has no size its blocks are known to
// hold, and its process function does nothing, as the output module's does
// without a buffer.
PreparedRun g_runs[kPreparedRuns];

// A block's samples are counted in 16 bits.
const uint32_t kMostSamplesPerBlock = 0xFFFF;

void RememberBlockSize(const ModuleRecord* module, uint32_t blockSize)
{
    PreparedRun* run = FindPreparedRun(g_runs, module);
    if (!run)
        run = FindPreparedRun(g_runs, nullptr);
    if (!run)
        return;
    run->blockSize = blockSize;  // before the module: a process call may be looking for its entry
    run->module = module;
}

void ForgetBlockSize(const ModuleRecord* module)
{
    if (PreparedRun* run = FindPreparedRun(g_runs, module))
        *run = PreparedRun{};
}

// The samples of the module's next block: the host's block size now, but no
// more than a block of the run's preparation holds, nor than 16 bits count.
uint32_t SamplesPerBlock(const PreparedRun& run)
{
    uint32_t n = uiGlobalBlockSize;
    n = n < run.blockSize ? n : run.blockSize;
    return n < kMostSamplesPerBlock ? n : kMostSamplesPerBlock;
}

int32_t Create(const ModuleKind& kind, ModuleRecord* module, int32_t argument, void* pointer)
{
    if (!CreateInstance(kind, module, argument, pointer))
        return 0;
    ForgetBlockSize(module);  // a new module has no run yet
    return 1;
}

int32_t Remove(const ModuleKind& kind, ModuleRecord* module, int32_t argument, void* pointer)
{
    ForgetBlockSize(module);
    return ReleaseReservation(kind, module, argument, pointer);
}

int32_t PrepareRun(const ModuleKind&, ModuleRecord* module, int32_t, void*)
{
    RememberBlockSize(module, uiGlobalBlockSize);
    InInstanceData* data = Data(module);
    const uint32_t channels = module->uiNumberOfOutputs;
    if (channels > 0)
        data->dwRunState = 0;
    // A word every 16 bytes from byte 216, for as many channels as the host
    // says, but never past the 368 bytes the host gave us.
    for (uint32_t c = 0; c < channels; ++c) {
        size_t at = static_cast<size_t>(c) * kInRunWordStride;
        if (at + sizeof(uint32_t) > sizeof data->channelRunState)
            break;
        memset(data->channelRunState + at, 0, sizeof(uint32_t));
    }
    ResetChannelRecords(module, channels);
    return 1;
}

int32_t ClearExtraWord(const ModuleKind&, ModuleRecord* module, int32_t, void*)
{
    if (module->pExtraWord)
        *module->pExtraWord = 0;
    return 1;
}

// Code 124: the host asks what the module is.
int32_t Describe(const ModuleKind& kind, ModuleRecord*, int32_t, void* pointer)
{
    DescriptionRequest* request = static_cast<DescriptionRequest*>(pointer);
    if (!request || request->uiKind != kDescriptionKind)
        return 0;
    request->hInstance = hInstDll;
    // The name and its terminating zero only; the bytes after it stay.
    memcpy(request->szName, kind.settingsTemplate, strlen(kind.settingsTemplate) + 1);
    request->uiZero = 0;
    request->uiStringId = IDS_DATA_INPUT;
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
    {kMsgEndRun, AnswerOne},
    {kMsgUndisclosed117, AnswerZero},
    {kMsgUndisclosed118, AnswerOne},
    {kMsgUndisclosed119, AnswerZero},
    {kMsgUndisclosed120, AnswerZero},
    {kMsgUndisclosed121, AnswerZero},
    {kMsgUndisclosed122, AnswerZero},
    {kMsgClearExtraWord, ClearExtraWord},
    {kMsgDescribe, Describe},
    {kMsgUndisclosed201, AnswerOne},
};

// Stamps the block and reads its n samples from the port, then counts them
// and marks the block pending. False when a host call on a failed read
// interrupted the process call: the block stays unfinished and uncounted,
// and the channel record is left to whoever reset it.
bool FillBlock(const ProcessCall& call, ModuleRecord* module, const PreparedRun& run, uint32_t channel,
               ChannelRecord* record, DataBlock* block)
{
    const uint32_t n = SamplesPerBlock(run);
    const InInstanceData* data = Data(module);
    const uint16_t slot = data->head.wLogSlot;
    const uint16_t port = data->wPort;
    StampBlock(block, record->ulSampleCount, &fGlobalMilliSecondsPerSample);
    block->wNumberOfSamples = static_cast<uint16_t>(n);
    uint8_t byte = 0;  // a failed read leaves it as the last good one left it
    for (uint32_t j = 0; j < n; ++j) {
        if (BoardPortIO(slot, port, kPortRead, &byte) == 0) {
            ReportTransferFailure(text::kSamplingErrorCaption, slot, channel);
            if (call.Interrupted())
                return false;
        }
        PutLevel(block, j, channel < kPortBits && (byte >> channel) & 1);
    }
    record->bBlockPending = 1;
    record->ulSampleCount += n;
    return true;
}

// Hands the pending block on once the tick count reaches its end. False when
// the host interrupted the process call inside the release.
bool ReleaseIfDue(const ProcessCall& call, OutputChannel* channel, ChannelRecord* record)
{
    const uint32_t now = GetTickCount();
    const uint32_t count = record->ulSampleCount;
    const uint32_t due = dwExperimentStartTimeTicks + DueOffset(count, &fGlobalMilliSecondsPerSample);
    // By the signed difference: right on both sides of the tick count's wrap.
    if (static_cast<int32_t>(now - due) < 0)
        return true;
    host::NewReleaseOutputBlock(channel, Kind().tag, Kind().lines.blockRelease);
    // The block is gone either way; a run preparation inside the call has
    // reset the record for the next run, a run end alone has not.
    const bool reset = record->bBlockPending != 1 || record->ulSampleCount != count;
    if (!reset) {
        record->bBlockPending = 0;
        record->iAnimationPhase = record->iAnimationPhase >= 10 ? -9 : record->iAnimationPhase + 1;
    }
    return !call.Interrupted();
}

}  // namespace

int32_t HOST_CALL TovelInMessageHandler(ModuleRecord* module, uint32_t code, int32_t argument, void* pointer)
{
    return DispatchModuleMessage(Kind(), kMessages, module, code, argument, pointer);
}

int32_t HOST_CALL TovelInProcess(ModuleRecord* module)
{
    if (module->bActive == 0 || bExperimentIsPaused == 1)
        return 1;
    const ProcessCall call(module);
    if (!call.Entered())
        return 1;
    const PreparedRun* run = FindPreparedRun(g_runs, module);
    if (!run)
        return 1;
    // The record has handles for sixteen channels, whatever count the host gives.
    for (uint32_t c = 0; c < module->uiNumberOfOutputs && c < kMaxHostChannels; ++c) {
        OutputChannel* channel = module->pOutputChannel[c];
        ChannelRecord* record = module->pChannelRecord[c];
        if (!channel || !record)
            continue;
        channel->wUndisclosed = 0;
        if (record->bBlockPending != 1) {
            DataBlock* block = host::GetCurrentOutputBlock(channel);
            if (call.Interrupted() || (block && !FillBlock(call, module, *run, c, record, block)))
                return 1;
        }
        if (record->bBlockPending == 1 && bExperimentIsPaused != 1 && !ReleaseIfDue(call, channel, record))
            return 1;
    }
    return 1;
}
