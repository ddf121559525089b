// A clock under the test's control for a loaded module: its import of
// KERNEL32!GetTickCount answers from this clock for as long as the object lives.
#pragma once

#include <stdint.h>
#include <windows.h>

#include "sim/clock/import_patch.h"

namespace sim {

class TestClock {
public:
    explicit TestClock(HMODULE module, uint32_t start = 0);

    bool Installed() const { return patch_.Installed(); }
    void Set(uint32_t ticks) { now_ = ticks; }
    void Advance(uint32_t ticks) { now_ += ticks; }
    uint32_t Now() const { return now_; }

private:
    static DWORD WINAPI Ticks();
    static volatile uint32_t now_;
    ImportPatch patch_;
};

}  // namespace sim
