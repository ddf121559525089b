// The bench's own dialogs: the run's sample distance and block size, and the
// signal on each channel of a "Tovel OUT" module.
#pragma once

#include "sim/workbench/bench.h"

namespace workbench {

// Control ids, for whoever fills the dialogs in.
constexpr int kIdMsPerSample = 100;
constexpr int kIdBlockSize = 101;
constexpr int kIdSignalKind = 200;    // + channel
constexpr int kIdSignalNumber = 220;  // + channel: the half period in blocks, or the bit

// Changes bench.msPerSample and bench.blockSize on OK; not during a run.
bool EditRunSettings(HWND owner, Bench& bench);
bool EditSignals(HWND owner, BenchModule& m);

}  // namespace workbench
