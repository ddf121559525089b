// The board panel: for each board the driver loaded, its 16 output lines
// (ports 0 and 1) as lamps and its 16 input lines at the level a read would
// return. A click on an input line that no wire drives toggles it, a click
// on a wired one says why it does not; a board can be pulled and put back.
// It repaints 20 times a second.
#pragma once

#include <windows.h>

#include "sim/workbench/bench.h"
#include "sim/workbench/board_lamps.h"

namespace workbench {

HWND OpenBoardPanel(Bench& bench);  // shows the panel, making it on first use
void CloseBoardPanel();

// The `index`th board's pull button (its lamps: board_lamps.h).
RECT PullButtonRect(int index);

// A pulled board fails every transfer with this code until it is put back.
constexpr int32_t kPulledBoardError = 99;
bool BoardPulled(SimDriver& driver, uint32_t slot);
void PullBoard(SimDriver& driver, uint32_t slot, bool pulled);

// The panel's last word to the person, shown on its bottom line.
const std::string& BoardPanelHint();

}  // namespace workbench
