#include "sim/reference/double_reference.h"

#include <stdio.h>
#include <string.h>

#if !defined(__SSE2_MATH__) && !(defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#error "the reference must be built for SSE2 arithmetic (-msse2 -mfpmath=sse)"
#endif

double ReferenceProduct(double a, double b)
{
    return a * b;
}

uint32_t ReferenceDueOffset(uint32_t samples, double msPerSample)
{
    // Below 2^63 for every case the tests build, so the conversion is exact.
    return static_cast<uint32_t>(static_cast<uint64_t>(ReferenceProduct(samples, msPerSample)));
}

TimingCase SeededTimingCase(std::mt19937& rng, uint64_t index)
{
    const double denominators[] = {3, 7, 10, 100, 1000};
    TimingCase c;
    c.ms = (1 + rng() % 100000) / denominators[rng() % 5];
    c.blockSize = 1 + rng() % 1000;
    c.start = index % 2 ? rng() : 0xFFFFFFFFu - rng() % 200000;
    c.block = rng() % 50;
    return c;
}

namespace {

// A double loaded into the x87 unit and stored again under the control word.
bool CopySurvives(uint16_t control)
{
    volatile double original = 0.3;
    double copy = 0;
#if defined(__GNUC__)
    // With the flags cleared: a flag raised earlier would fault at once
    // under a control word that unmasks it.
    uint8_t before[28];
    __asm__ volatile("fnstenv %1\n\tfnclex\n\tfldcw %3\n\tfldl %2\n\tfstpl %0\n\tfldenv %1"
                     : "=m"(copy), "=m"(before)
                     : "m"(original), "m"(control));
#else
    (void)control;
    copy = original;
#endif
    const double expected = original;
    return memcmp(&copy, &expected, sizeof copy) == 0;
}

}  // namespace

std::vector<const sim::FpuEnvironment*> TestableFpuEnvironments()
{
    std::vector<const sim::FpuEnvironment*> testable;
    for (const sim::FpuEnvironment& e : sim::FpuEnvironments()) {
        if (e.control == 0 || CopySurvives(e.control))
            testable.push_back(&e);
        else
            printf("note: this machine's x87 unit rounds stored doubles under %s (an emulator); "
                   "its cases are left out\n", e.name);
    }
    return testable;
}
