// What both module kinds do around a run.
#pragma once

#include <stdint.h>

#include "modules/records/host_records.h"

// Zeroes the three words of the channel records of the first `count` channels.
void ResetChannelRecords(ModuleRecord* module, uint32_t count);

// A port transfer failed: stop the experiment and tell the user which board,
// which channel and what the driver says, under the given caption.
void ReportTransferFailure(const char* caption, uint16_t slot, uint32_t channel);
