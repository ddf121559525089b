#include "guest/line_text.h"

LineText& LineText::Text(const char* text)
{
    while (*text && at_ < end_)
        *at_++ = *text++;
    *at_ = 0;
    return *this;
}

LineText& LineText::Char(char c)
{
    if (at_ < end_)
        *at_++ = c;
    *at_ = 0;
    return *this;
}

LineText& LineText::Decimal(uint32_t value)
{
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n > 0 && at_ < end_)
        *at_++ = digits[--n];
    *at_ = 0;
    return *this;
}

LineText& LineText::Signed(int32_t value)
{
    if (value < 0)
        Char('-');
    return Decimal(value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
}

LineText& LineText::Decimal64(uint64_t value)
{
    if (value <= 0xFFFFFFFFu)
        return Decimal(static_cast<uint32_t>(value));
    // The low nine digits as a 32-bit number, the rest above them.
    const uint64_t high = value / 1000000000u;
    const uint32_t low = static_cast<uint32_t>(value - high * 1000000000u);
    Decimal64(high);
    char digits[9];
    uint32_t rest = low;
    for (int i = 8; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    for (char d : digits)
        Char(d);
    return *this;
}

LineText& LineText::Hex(uint32_t value, int digits)
{
    static const char kHex[] = "0123456789ABCDEF";
    char reversed[8];
    int n = 0;
    do {
        reversed[n++] = kHex[value & 0xF];
        value >>= 4;
    } while (value || n < digits);
    Text("0x");
    while (n > 0)
        Char(reversed[--n]);
    return *this;
}
