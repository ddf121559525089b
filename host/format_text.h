// Numbers put into texts by the system's own wsprintfA, which knows no
// floating point: a DLL in the host's process formats without running an
// x87 instruction in the host's unit, and links no formatter that could.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace text {

// At most size - 1 characters and the zero.
void Format(char* out, size_t size, const char* format, ...);

// `value` in decimal, which wsprintfA cannot do past 32 bits.
void FormatUnsigned64(char* out, size_t size, uint64_t value);

}  // namespace text
