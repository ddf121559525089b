// The live view: the last seconds of each "Tovel IN" channel as a strip
// chart, drawn as the blocks are handed on.
#pragma once

#include <windows.h>

#include "sim/workbench/bench.h"

namespace workbench {

HWND OpenLiveView(Bench& bench);  // shows it, making it on first use
void CloseLiveView();

}  // namespace workbench
