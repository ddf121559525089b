// A bench saved to a file and opened again: the board file in use, the run's
// sample distance and block size, and each module with its name,
// description, channel count, per-instance data and signals.
//
//   [bench]
//   board_file=C:\boards\two.ini      (empty: the default board)
//   ms_per_sample=80
//   block_size=10
//   [module]
//   kind=Tovel OUT
//   name=Pattern
//   description=8 square waves
//   channels=8
//   instance=<the per-instance data, two hex digits a byte>
//   signals=square 1,square 2,low,high,bit 3,...   (Tovel OUT only, eight)
#pragma once

#include <string>

#include "sim/workbench/bench.h"

namespace workbench {

// The bench as its file holds it.
std::string BenchText(const Bench& bench);
// Written whole or not at all: a file already there stays as it was unless
// the new one is complete. The bench then belongs to the file.
bool SaveBench(Bench& bench, const std::string& path, std::string* error);
// Whether the bench differs from the file it belongs to (from what it was
// when the bench opened, for a bench that never had one).
bool HasUnsavedChanges(const Bench& bench);
// Reads the whole file first: with any problem in it the bench stays as it
// was, and `problems` gets each as "file:line: what is wrong". Otherwise the
// bench's modules are removed, and each module restored and re-attached with
// code 105, and the bench belongs to the file. The plug-in opened its boards at set-up, so a bench saved with
// another board file than the one in use is refused: the host program loads
// that file before the plug-in when it starts with the bench.
bool OpenBench(Bench& bench, const std::string& path, std::string* problems);
// The board file a saved bench names; empty for the default board.
std::string BenchBoardFile(const std::string& path);

}  // namespace workbench
