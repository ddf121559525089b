// What both module kinds do around a run.
#pragma once

#include <stdint.h>
#include <string.h>

#include "modules/records/host_records.h"

// The logical levels as the bits of the single-precision samples: a set bit
// is 5.0 and a clear one 0.0, and an output sample sets its bit at 5.0 or
// more. Working on the bits, the modules run no floating-point instruction
// outside their time arithmetic (modules/double_precision.h), so no sample,
// a signalling NaN included, can raise anything under the host's masks.
const uint32_t kHighLevelBits = 0x40A00000u;  // 5.0f
const uint32_t kLowLevelBits = 0x00000000u;   // 0.0f

const uint32_t kInfinityBits = 0x7F800000u;   // the largest positive float that is not a NaN

// Sample j of the block sets a bit: a positive float, not a NaN, whose bits
// are at least 5.0's (positive floats order as their bits do).
inline bool SetsBit(const DataBlock* block, uint32_t j)
{
    uint32_t bits;
    memcpy(&bits, reinterpret_cast<const uint8_t*>(BlockSamples(block)) + j * sizeof bits, sizeof bits);
    return bits >= kHighLevelBits && bits <= kInfinityBits;
}

// Sample j of the block := 5.0 or 0.0.
inline void PutLevel(DataBlock* block, uint32_t j, bool set)
{
    const uint32_t bits = set ? kHighLevelBits : kLowLevelBits;
    memcpy(reinterpret_cast<uint8_t*>(BlockSamples(block)) + j * sizeof bits, &bits, sizeof bits);
}

// Zeroes the three words of the channel records of the first `count` channels.
void ResetChannelRecords(ModuleRecord* module, uint32_t count);

// A port transfer failed: stop the experiment and tell the user which board,
// which channel and what the driver says, under the given caption.
void ReportTransferFailure(const char* caption, uint16_t slot, uint32_t channel);
