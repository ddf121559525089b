// A clock under the test's control for a loaded module: its import of
// KERNEL32!GetTickCount answers from this clock for as long as the object
// lives. When the module is a host recorder in front of the plug-in, the
// plug-in behind it (the other loaded module with the plug-in's exports)
// gets the clock too.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <memory>

#include "sim/clock/import_patch.h"

namespace sim {

class TestClock {
public:
    explicit TestClock(HMODULE module, uint32_t start = 0);

    bool Installed() const { return patch_.Installed() && (!behind_ || behind_->Installed()); }
    void Set(uint32_t ticks) { now_ = ticks; }
    void Advance(uint32_t ticks) { now_ = now_ + ticks; }
    uint32_t Now() const { return now_; }

private:
    static DWORD WINAPI Ticks();
    static volatile uint32_t now_;
    ImportPatch patch_;
    std::unique_ptr<ImportPatch> behind_;
};

}  // namespace sim
