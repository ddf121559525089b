// A clock under the test's control for a loaded module: its import of
// KERNEL32!GetTickCount is pointed at the clock for as long as the object
// lives, by patching the module's import address table. The module itself
// carries no hook of its own.
#pragma once

#include <stdint.h>
#include <windows.h>

namespace sim {

class TestClock {
public:
    explicit TestClock(HMODULE module, uint32_t start = 0);
    ~TestClock();

    bool Installed() const { return slot_ != nullptr; }
    void Set(uint32_t ticks) { now_ = ticks; }
    void Advance(uint32_t ticks) { now_ += ticks; }
    uint32_t Now() const { return now_; }

private:
    static DWORD WINAPI Ticks();
    static volatile uint32_t now_;
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace sim
