#include "modules/double_precision.h"

#include <math.h>

#if defined(_MSC_VER) && defined(_M_IX86)
#include <float.h>
#endif

namespace {

enum Operation { kMultiply, kDivide };

double Apply(double a, Operation op, double b)
{
    return op == kMultiply ? a * b : a / b;
}

#if defined(__i386__) && defined(__GNUC__)

const uint16_t kPrecisionControl = 0x0300;
const uint16_t kPrecision53 = 0x0200;

double InDoublePrecision(double a, Operation op, double b)
{
    uint16_t host;
    __asm__ volatile("fnstcw %0" : "=m"(host));
    const uint16_t ours = static_cast<uint16_t>((host & ~kPrecisionControl) | kPrecision53);
    // The operands and the result pass through the two statements in memory,
    // so the operation can be moved neither before the first nor after the
    // second, and the result leaves the unit rounded to a double.
    __asm__ volatile("fldcw %2" : "+m"(a), "+m"(b) : "m"(ours));
    double result = Apply(a, op, b);
    __asm__ volatile("fldcw %1" : "+m"(result) : "m"(host));
    return result;
}

#elif defined(_MSC_VER) && defined(_M_IX86)

#pragma fenv_access(on)  // keeps the operation between the two calls

double InDoublePrecision(double a, Operation op, double b)
{
    const unsigned host = _control87(0, 0) & _MCW_PC;
    _control87(_PC_53, _MCW_PC);
    volatile double result = Apply(a, op, b);
    _control87(host, _MCW_PC);
    return result;
}

#else

// SSE2 or any other unit without a precision control: doubles are doubles.
double InDoublePrecision(double a, Operation op, double b)
{
    return Apply(a, op, b);
}

#endif

}  // namespace

double DoubleProduct(double a, double b)
{
    return InDoublePrecision(a, kMultiply, b);
}

double DoubleQuotient(double a, double b)
{
    return InDoublePrecision(a, kDivide, b);
}

uint32_t LowBitsOfTruncated(double x)
{
    const double kTwo32 = 4294967296.0;
    // trunc and fmod are exact, so the precision control does not reach
    // them; m is then a whole number of magnitude below 2^32, and the
    // conversions through 64 bits keep its low 32 bits for either sign.
    const double m = fmod(trunc(x), kTwo32);
    if (m != m)
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(m));
}
