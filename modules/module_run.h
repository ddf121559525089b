// What both module kinds do around a run.
#pragma once

#include <stdint.h>

#include "modules/host_records.h"

// Zeroes the three words of the channel records of the first `count` channels.
void ResetChannelRecords(ModuleRecord* module, uint32_t count);

// A port transfer failed: stop the experiment and tell the user which board,
// which channel and what the driver says, under the given caption.
void ReportTransferFailure(const char* caption, uint16_t slot, uint32_t channel);

// The output module's port buffers, with the size each was allocated with, so
// that a block is never written past its buffer, whatever the host's block
// size has become since, and a pointer the plug-in did not allocate (one
// stored in a worksheet, say) is never written to or handed back.
bool RememberPortBuffer(const void* buffer, uint32_t size);
bool FindPortBuffer(const void* buffer, uint32_t* size);  // false for a buffer not known
void ForgetPortBuffer(const void* buffer);
