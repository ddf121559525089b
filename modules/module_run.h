// What both module kinds do around a run.
#pragma once

#include <stdint.h>
#include <string.h>

#include "host/host_records.h"

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

// What a module's run was prepared with, kept by the plug-in for each module
// from its run preparation on: the block size the host's blocks of that run
// hold, and the output module's port buffer of that size. A module is known
// by its record, which the host keeps in place for the module's life. The
// host changes uiGlobalBlockSize when it likes; a block is never filled or
// written past what the run was prepared with.
struct PreparedRun {
    const ModuleRecord* module;  // null while the entry is free
    uint32_t blockSize;
    uint8_t* portBuffer;         // the output module's; null for the input module
};

// Sixteen slots with two ports of each kind: every module of a kind that can
// hold a port fits twice.
constexpr int kPreparedRuns = 64;

// The entry of the module in a kind's table; with no module, a free one.
// Null when there is none.
PreparedRun* FindPreparedRun(PreparedRun (&runs)[kPreparedRuns], const ModuleRecord* module);

// Zeroes the three words of the channel records of the first `count` channels.
void ResetChannelRecords(ModuleRecord* module, uint32_t count);

// A port transfer failed: stop the experiment and tell the user which board,
// which channel and what the driver says, under the given caption.
void ReportTransferFailure(const char* caption, uint16_t slot, uint32_t channel);
