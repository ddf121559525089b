#include "recorder/fpu_words.h"

#include <cpuid.h>

namespace {

bool g_sse;

}  // namespace

void LearnFpuWords()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    g_sse = __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE);
}

FpuWords ReadFpuWords()
{
    FpuWords w = {0, 0, 0};
    __asm__ volatile("fnstcw %0\n\tfnstsw %1" : "=m"(w.control), "=m"(w.status));
    if (g_sse)
        __asm__ volatile("stmxcsr %0" : "=m"(w.mxcsr));
    return w;
}
