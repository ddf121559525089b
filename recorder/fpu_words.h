// The floating-point state a call into the plug-in finds: the x87 control and
// status words and the SSE control word. The only floating-point instructions
// of the recorder are the three that store these (fnstcw, fnstsw, stmxcsr),
// which change nothing, raise nothing and wait for nothing; they live here.
#pragma once

#include <stdint.h>

struct FpuWords {
    uint16_t control;
    uint16_t status;
    uint32_t mxcsr;  // 0 when the processor has no SSE
};

// Whether the processor has SSE, asked once before any call is recorded:
// stmxcsr is an invalid instruction without it.
void LearnFpuWords();
FpuWords ReadFpuWords();
