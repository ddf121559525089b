#include "modules/double_precision.h"

#include <string.h>

namespace {

const double kSecondsPerMillisecond = 0.001;

#if defined(__i386__) && defined(__GNUC__)

// fnstenv's record in 32-bit protected mode: control, status and tag words,
// the last instruction and operand pointers.
struct X87Environment {
    uint8_t bytes[28];
};

// Every exception masked, 53-bit precision, round to nearest.
const uint16_t kIeeeDouble = 0x027F;

// The x87 registers hold nothing across the switch: a value left there would
// lose its tag to the host's when the environment is given back.
#define X87_STACK "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"

void Enter(X87Environment* host)
{
    __asm__ volatile("fnstenv %0\n\tfldcw %1" : "=m"(*host) : "m"(kIeeeDouble) : "memory", X87_STACK);
}

void Leave(const X87Environment* host)
{
    __asm__ volatile("fldenv %0" : : "m"(*host) : "memory", X87_STACK);
}

// Makes a result leave the unit at this point, before Leave.
template <typename T>
void Done(T& result)
{
    __asm__ volatile("" : "+m"(result));
}

#elif defined(_MSC_VER) && defined(_M_IX86)

struct X87Environment {
    uint8_t bytes[28];
};

const uint16_t kIeeeDouble = 0x027F;

void Enter(X87Environment* host)
{
    __asm {
        mov eax, host
        fnstenv [eax]
        fldcw kIeeeDouble
    }
}

void Leave(const X87Environment* host)
{
    __asm {
        mov eax, host
        fldenv [eax]
    }
}

// The compiler moves no code across an __asm block.
template <typename T>
void Done(T&)
{
}

#else

// A unit without x87 state (SSE2 and the like) computes doubles as doubles.
struct X87Environment {};
void Enter(X87Environment*) {}
void Leave(const X87Environment*) {}
template <typename T>
void Done(T&)
{
}

#endif

// The low 32 bits of x truncated toward zero, in two's complement, read off
// the bits of the double: no floating-point instruction, exact for every
// value, 0 for a NaN or an infinity.
uint32_t LowBitsOfTruncated(double x)
{
    uint64_t bits;
    memcpy(&bits, &x, sizeof bits);
    const uint32_t biased = static_cast<uint32_t>(bits >> 52) & 0x7FF;
    if (biased == 0x7FF)
        return 0;
    // x = mantissa x 2^shift; a denormal is below 1 and truncates to 0.
    const uint64_t mantissa = (bits & 0xFFFFFFFFFFFFFull) | (static_cast<uint64_t>(biased != 0) << 52);
    const int shift = static_cast<int>(biased) - 1075;
    uint32_t low = 0;
    if (shift <= -53)
        low = 0;
    else if (shift < 0)
        low = static_cast<uint32_t>(mantissa >> -shift);
    else if (shift < 32)
        low = static_cast<uint32_t>(mantissa << shift);  // from 2^32 on, a multiple of it
    return bits >> 63 ? 0u - low : low;
}

}  // namespace

bool QuotientAtLeast(const volatile double* dividend, uint32_t divisor, uint32_t minimum)
{
    X87Environment host;
    Enter(&host);
    bool atLeast = *dividend / divisor >= minimum;  // false for a NaN
    Done(atLeast);
    Leave(&host);
    return atLeast;
}

void StampBlock(DataBlock* block, uint32_t samplesBefore, const volatile double* msPerSample)
{
    X87Environment host;
    Enter(&host);
    const double seconds = *msPerSample * kSecondsPerMillisecond;
    block->dSampleDistance = seconds;
    block->dStartTime = samplesBefore * seconds;
    Leave(&host);
}

uint32_t DueOffset(uint32_t samples, const volatile double* msPerSample)
{
    X87Environment host;
    Enter(&host);
    double product = samples * *msPerSample;
    Done(product);
    Leave(&host);
    return LowBitsOfTruncated(product);
}
