#include "modules/module_run.h"


#include "board/board_driver.h"
#include "host/host_services.h"
#include "host/texts.h"

static_assert(__builtin_bit_cast(uint32_t, 5.0f) == kHighLevelBits && __builtin_bit_cast(uint32_t, 0.0f) == kLowLevelBits,
              "the levels' bits");

static_assert(__builtin_bit_cast(uint32_t, __builtin_inff()) == kInfinityBits, "the bits of +infinity");

PreparedRun* FindPreparedRun(PreparedRun (&runs)[kPreparedRuns], const ModuleRecord* module)
{
    for (PreparedRun& run : runs) {
        if (run.module == module)
            return &run;
    }
    return nullptr;
}

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
    text::Format(message, sizeof message, text::kTransferErrorFormat, static_cast<int>(slot), static_cast<int>(channel),
             static_cast<int>(error));
    host::ShowWarning(caption, message);
}
