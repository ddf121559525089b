// The input module's time arithmetic as IEEE-754 double precision defines it,
// computed apart from the x87 unit: this file's code is built for SSE2, so
// neither the x87 precision control nor extended intermediates reach it.
#pragma once

#include <stdint.h>

#include <vector>

double ReferenceProduct(double a, double b);

// The low 32 bits of samples x milliseconds per sample, truncated toward zero.
uint32_t ReferenceDueOffset(uint32_t samples, double msPerSample);

// The x87 precision control, as a host process may leave it: 24, 53 or 64 bits.
unsigned SetX87Precision(unsigned bits);  // returns the bits it replaced

// The precision controls under which this machine's x87 unit can be tested:
// a processor stores a double exactly under any of them, but QEMU's x87
// emulation rounds every store to the precision control, so at 24 bits not
// even a copy of a double survives there and 24 is left out (with a note).
std::vector<unsigned> TestableX87Precisions();
