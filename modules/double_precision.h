// The floating-point arithmetic of the modules, which the host interface
// fixes "in double precision".
//
// The x87 unit is the host's. Its precision control may be 24, 53 or 64 bits,
// its rounding any of four, and its invalid, zero-divide and overflow
// exceptions may be unmasked, whatever the plug-in would like. Each function
// here saves the host's environment (fnstenv, which also masks every
// exception), computes under its own control word (53-bit precision, round to
// nearest, every exception masked) and gives the host back exactly what it
// had (fldenv: control word, status word with its flags, tags). So every
// result is the IEEE-754 double result, nothing is raised and no flag is left
// pending. Inputs are read from memory only once the environment is ours:
// loading a signalling NaN or a denormal under the host's masks could raise.
// No other code of the plug-in runs a floating-point instruction.
#pragma once

#include <stdint.h>

#include "host/host_records.h"

// The output module's rate check: *dividend / divisor is at least `minimum`;
// false when the quotient is below it or not a number.
bool QuotientAtLeast(const volatile double* dividend, uint32_t divisor, uint32_t minimum);

// The input module's stamps on a block: dSampleDistance := msPerSample x
// 0.001 seconds, dStartTime := samplesBefore x that.
void StampBlock(DataBlock* block, uint32_t samplesBefore, const volatile double* msPerSample);

// The input module's due offset: samples x msPerSample truncated toward zero,
// its low 32 bits; 0 for a NaN or an infinity.
uint32_t DueOffset(uint32_t samples, const volatile double* msPerSample);
