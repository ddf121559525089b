#include "modules/double_precision.h"

#include <math.h>

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

// The low 32 bits of x truncated toward zero: trunc and fmod are exact, so m
// is a whole number of magnitude below 2^32 (or a NaN), and the conversions
// through 64 bits keep its low 32 bits for either sign.
uint32_t LowBitsOfTruncated(double x)
{
    const double kTwo32 = 4294967296.0;
    const double m = fmod(trunc(x), kTwo32);
    if (m != m)
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(m));
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
    uint32_t offset = LowBitsOfTruncated(samples * *msPerSample);
    Done(offset);
    Leave(&host);
    return offset;
}
