// The input module's time arithmetic as IEEE-754 double precision defines it,
// computed apart from the x87 unit: this file's code is built for SSE2, so
// neither the x87 precision control nor extended intermediates reach it.
#pragma once

#include <stdint.h>

#include <random>
#include <vector>

#include "sim/host/host_fpu.h"

double ReferenceProduct(double a, double b);

// The low 32 bits of samples x milliseconds per sample, truncated toward zero.
uint32_t ReferenceDueOffset(uint32_t samples, double msPerSample);

// One seeded case of the input module's timing: a sample distance that is
// not a whole number of milliseconds, a block size from 1 to 1000, a start
// tick on either side of the tick count's wrap (by the index's parity), and
// the block of the run that is due next.
struct TimingCase {
    double ms;
    uint32_t blockSize;
    uint32_t start;
    uint32_t block;
};
TimingCase SeededTimingCase(std::mt19937& rng, uint64_t index);

// The host x87 environments (sim/host/host_fpu.h) under which this machine's
// unit can be tested: a processor stores a double exactly under any of them,
// but QEMU's x87 emulation rounds every store to the precision control, so at
// 24 bits not even a copy of a double survives there, and such environments
// are left out (with a note).
std::vector<const sim::FpuEnvironment*> TestableFpuEnvironments();
