// Arithmetic that the host interface fixes "in double precision".
//
// A 32-bit build does its floating point in the x87 unit, which keeps
// intermediates in extended precision and rounds every result to the width
// its precision control says: 64 bits after the MinGW start-up code, 53 in a
// process set up by the Microsoft runtime, 24 where a graphics library left
// it. These helpers set the control to 53 bits for one operation and put the
// host's setting back, so the result is the IEEE-754 double result on every
// x87 processor (but for subnormal results, which the unit's wider exponent
// rounds twice; no time here comes near them); nothing here needs SSE2.
#pragma once

#include <stdint.h>

double DoubleProduct(double a, double b);
double DoubleQuotient(double a, double b);

// The low 32 bits of x truncated toward zero, for any x: 0 for a NaN or an
// infinity, where a plain conversion would be undefined.
uint32_t LowBitsOfTruncated(double x);
