// A line of a guest's file put together piece by piece, by hand: the
// writer turns hundreds of thousands of records a second into lines, and a
// general formatter (wsprintfA, a C library's printf) costs several times
// the record itself. No floating point, as everywhere in a guest.
#pragma once

#include <stdint.h>

class LineText {
public:
    // Cut at `size` - 1 characters; always ends in a zero.
    LineText(char* buffer, uint32_t size) : at_(buffer), begin_(buffer), end_(buffer + size - 1) { *at_ = 0; }

    LineText& Text(const char* text);
    LineText& Char(char c);
    LineText& Decimal(uint32_t value);
    LineText& Signed(int32_t value);
    LineText& Decimal64(uint64_t value);
    // "0x" and at least `digits` upper-case hex digits.
    LineText& Hex(uint32_t value, int digits);

    uint32_t Length() const { return static_cast<uint32_t>(at_ - begin_); }

private:
    char* at_;
    char* begin_;
    char* end_;
};
