#include "modules/module_run.h"

#include <stdio.h>

#include "board/board_driver.h"
#include "frame/host_services.h"
#include "frame/texts.h"

void ResetChannelRecords(ModuleRecord* module, uint32_t count)
{
    for (uint32_t c = 0; c < count && c < kMaxHostChannels; ++c) {
        ChannelRecord* record = module->pChannelRecord[c];
        if (!record)
            continue;
        record->bBlockPending = 0;
        record->ulSampleCount = 0;
        record->iAnimationPhase = 0;
    }
}

void ReportTransferFailure(const char* caption, uint16_t slot, uint32_t channel)
{
    host::StopExperiment();
    int32_t error = BoardGetLastError(slot);
    char message[96];
    snprintf(message, sizeof message, text::kTransferErrorFormat, static_cast<int>(slot), static_cast<int>(channel),
             static_cast<int>(error));
    host::ShowWarning(caption, message);
}

namespace {

// One entry per output module in a run; a board has two output ports and
// there are sixteen slots, so every module that can hold a port fits twice.
struct PortBuffer {
    const void* buffer;
    uint32_t size;
};

PortBuffer g_portBuffers[64];

}  // namespace

bool RememberPortBuffer(const void* buffer, uint32_t size)
{
    for (PortBuffer& entry : g_portBuffers) {
        if (!entry.buffer) {
            entry = PortBuffer{buffer, size};
            return true;
        }
    }
    return false;
}

bool FindPortBuffer(const void* buffer, uint32_t* size)
{
    for (const PortBuffer& entry : g_portBuffers) {
        if (buffer && entry.buffer == buffer) {
            *size = entry.size;
            return true;
        }
    }
    return false;
}

void ForgetPortBuffer(const void* buffer)
{
    for (PortBuffer& entry : g_portBuffers) {
        if (entry.buffer == buffer)
            entry = PortBuffer{nullptr, 0};
    }
}
