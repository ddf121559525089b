// What feeds each channel of a "Tovel OUT" module: one level per block, so
// that a whole block always carries one level.
#pragma once

#include "sim/common/numbers.h"

namespace engine {

enum class SignalKind {
    kSquareWave,   // low for halfPeriodBlocks blocks, then high as long, from low
    kLow,          // 0 V throughout
    kHigh,         // 5 V throughout
    kCounterBit,   // bit `bit` of the block number
};

// What a bench's forms and files take for a signal's number.
const sim::WholeRange kHalfPeriodRange = {1, 1000000};
const sim::WholeRange kCounterBitRange = {0, 31};

struct SignalSource {
    SignalKind kind = SignalKind::kSquareWave;
    int halfPeriodBlocks = 1;
    int bit = 0;
};

// The main job's eight square waves: channel c toggles every c + 1 blocks, so
// the eight bits walk through many patterns.
inline SignalSource DefaultSource(int channel)
{
    return {SignalKind::kSquareWave, channel + 1, 0};
}

inline bool SourceLevel(const SignalSource& s, long long block)
{
    switch (s.kind) {
    case SignalKind::kSquareWave: return (block / (s.halfPeriodBlocks > 0 ? s.halfPeriodBlocks : 1)) % 2 == 1;
    case SignalKind::kLow: return false;
    case SignalKind::kHigh: return true;
    case SignalKind::kCounterBit: return (block >> (s.bit & 31)) & 1;
    }
    return false;
}

const float kHighVolts = 5.0f;

}  // namespace engine
