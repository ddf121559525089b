#include "sim/harness/double_reference.h"

#include <float.h>
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

unsigned SetX87Precision(unsigned bits)
{
    const unsigned control = bits == 24 ? _PC_24 : bits == 53 ? _PC_53 : _PC_64;
    const unsigned before = _control87(0, 0) & _MCW_PC;
    _control87(control, _MCW_PC);
    return before == _PC_24 ? 24 : before == _PC_53 ? 53 : 64;
}

namespace {

// A double loaded into the x87 unit and stored again under the given control.
bool CopySurvives(unsigned bits)
{
    volatile double original = 0.3;
    double copy = 0;
    const unsigned before = SetX87Precision(bits);
#if defined(__GNUC__)
    __asm__ volatile("fldl %1\n\tfstpl %0" : "=m"(copy) : "m"(original));
#else
    copy = original;
#endif
    SetX87Precision(before);
    const double expected = original;
    return memcmp(&copy, &expected, sizeof copy) == 0;
}

}  // namespace

std::vector<unsigned> TestableX87Precisions()
{
    std::vector<unsigned> testable;
    for (unsigned bits : {64u, 53u, 24u}) {
        if (CopySurvives(bits))
            testable.push_back(bits);
        else
            printf("note: this machine's x87 unit rounds stored doubles at %u bits (an emulator); "
                   "the cases at %u bits are left out\n", bits, bits);
    }
    return testable;
}
