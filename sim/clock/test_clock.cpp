#include "sim/clock/test_clock.h"

namespace sim {

volatile uint32_t TestClock::now_;

TestClock::TestClock(HMODULE module, uint32_t start)
    : patch_(module, "KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&TestClock::Ticks))
{
    now_ = start;
}

DWORD WINAPI TestClock::Ticks()
{
    return now_;
}

}  // namespace sim
